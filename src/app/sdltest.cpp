// Chronwick: a desktop clock that tells the local time in Klingon.
#include <SDL/SDL.h>
#include <stdio.h>

#include "app/clock_state.h"
#include "app/frame_loop.h"

int main(int argc, char* argv[]) {
    (void)argc;
    (void)argv;
    // Diagnostics appear line by line, also when standard output is a pipe or a log. Microsoft's
    // C runtime buffers a line-buffered stream fully, so there each line is written unbuffered,
    // as it is printed, into the stdout.txt that SDL's entry code opens.
#ifdef _WIN32
    setvbuf(stdout, NULL, _IONBF, 0);
#else
    setvbuf(stdout, NULL, _IOLBF, 0);
#endif

    if (!start_clock()) {
        SDL_Quit();
        return 1;
    }
    load_resources();
    while (giRun == 1) {
        run_frame_pass();
    }
    SDL_Quit();
    return 0;
}
