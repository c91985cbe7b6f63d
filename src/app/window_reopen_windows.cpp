#include "app/window_reopen.h"

// The Windows build ships its own SDL 1.2, which resizes the window it has.
bool window_reopens_to_resize(void) {
    return false;
}

SDL_Surface* reopen_window(int width, int height, Uint32 flags) {
    return SDL_SetVideoMode(width, height, 32, flags);
}
