// Program-wide clock state: plain integer globals shared by every module.
#pragma once

#include <SDL/SDL.h>

extern int giRun;      // the frame loop runs while this is 1
extern int giSecs;     // above 0: the words include the seconds
extern int giKlingon;  // 1: clock view, -1: legend view
extern int giFont;     // font index, family * 6 + size step
extern int giGraphics; // layout 1, 2 or 3
extern int giGM;       // pixels per layout unit of the numeral row
extern int giKSize;    // numeral picture style 0, 1 or 2
extern int giChange;   // resize request: 0 none, 1 fit to the view, 2 apply giX x giY
extern int giX;        // window width in pixels
extern int giY;        // window height in pixels
extern SDL_Surface* screen;

// The flags of every video-mode call: hardware surface, resizable, double-buffered.
const Uint32 kVideoFlags = SDL_HWSURFACE | SDL_RESIZABLE | SDL_DOUBLEBUF;

// The window size before any settings are read.
const int kDefaultWidth = 680;
const int kDefaultHeight = 100;

// Puts every member back to its starting value (for a fresh start, and for tests).
void reset_clock_state(void);
