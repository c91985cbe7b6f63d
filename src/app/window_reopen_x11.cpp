#include "app/window_reopen.h"

#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>

#include "app/x11_window.h"

// sdl12-compat 1.2.74 and later keep the streaming texture of a window's first size when the mode
// is set again at another size, and the next SDL_UpdateRect writes past it (seen in 1.2.74 to
// 1.2.78, over SDL 2 and over SDL 3). 1.2.69 to 1.2.73 are untested and kept in, as is every
// release newer than the newest tested: a replaced window is better than a crash. Classic SDL
// 1.2 (patch 15) and sdl12-compat up to 1.2.68 resize the window they have.
// To retire this once a release recreates the texture on a resize: bound the test below by that
// release's patch level, and drop this file when no supported distribution ships an older one.
static const int kFirstReopeningPatch = 69;

bool window_reopens_to_resize(void) {
    return SDL_Linked_Version()->patch >= kFirstReopeningPatch;
}

SDL_Surface* reopen_window(int width, int height, Uint32 flags) {
    // The runtime opens its window where SDL_VIDEO_WINDOW_POS says; the user's own value, if
    // any, is put back afterwards.
    const WindowPlace place = read_window_place();
    const char* userPosition = place.known ? getenv("SDL_VIDEO_WINDOW_POS") : NULL;
    char savedPosition[64] = "";
    if (userPosition != NULL) {
        snprintf(savedPosition, sizeof savedPosition, "%s", userPosition);
    }
    if (place.known) {
        char position[32];
        snprintf(position, sizeof position, "%d,%d", place.x, place.y);
        setenv("SDL_VIDEO_WINDOW_POS", position, 1);
    }

    // A mode set that asks for another refresh rate rebuilds the window once (sdl12-compat 1.2.72
    // and later). Earlier releases lack that call; there a pass through an OpenGL mode makes the
    // runtime let the window go, and the next mode set opens it anew (the window is mapped twice).
    typedef void (*SetRefreshRate)(int);
    const SetRefreshRate set_refresh_rate =
        (SetRefreshRate)dlsym(RTLD_DEFAULT, "SDL_SetRefreshRate");
    if (set_refresh_rate != NULL) {
        set_refresh_rate(1);
    } else {
        SDL_SetVideoMode(width, height, 32, SDL_OPENGL);
    }
    SDL_Surface* surface = SDL_SetVideoMode(width, height, 32, flags);
    if (set_refresh_rate != NULL) {
        set_refresh_rate(0); // back to the default, which the next mode set keeps
    }

    if (place.known) {
        if (userPosition != NULL) {
            setenv("SDL_VIDEO_WINDOW_POS", savedPosition, 1);
        } else {
            unsetenv("SDL_VIDEO_WINDOW_POS");
        }
        if (surface != NULL) {
            restore_window_states(&place);
        }
    }
    return surface;
}
