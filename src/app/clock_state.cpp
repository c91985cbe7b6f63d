#include "app/clock_state.h"

int giRun = 1;
int giSecs = -1;
int giKlingon = 1;
int giFont = 12;
int giGraphics = 1;
int giGM = 3;
int giKSize = 0;
int giChange = 0;
int giX = kDefaultWidth;
int giY = kDefaultHeight;
SDL_Surface* screen = NULL;

void reset_clock_state(void) {
    giRun = 1;
    giSecs = -1;
    giKlingon = 1;
    giFont = 12;
    giGraphics = 1;
    giGM = 3;
    giKSize = 0;
    giChange = 0;
    giX = kDefaultWidth;
    giY = kDefaultHeight;
    screen = NULL;
}
