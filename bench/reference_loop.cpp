// The reference for the clock's whole-process figures: the same SDL start-up and window, then
// nothing but taking an event and sleeping 50 ms, as the clock's loop does around its drawing.
#include <SDL/SDL.h>
#include <stdio.h>

#include "app/clock_state.h"

int main(int argc, char* argv[]) {
    (void)argc;
    (void)argv;
    // As in the clock, a missing sound device is not a reason to stop.
    SDL_Init(SDL_INIT_EVERYTHING);
    if (SDL_SetVideoMode(kDefaultWidth, kDefaultHeight, 32, kVideoFlags) == NULL) {
        fprintf(stderr, "Cannot open a window: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    SDL_WM_SetCaption("Chronwick reference loop", NULL);
    for (;;) {
        SDL_Event event;
        if (SDL_PollEvent(&event) && event.type == SDL_QUIT) {
            break;
        }
        SDL_Delay(50);
    }
    SDL_Quit();
    return 0;
}
