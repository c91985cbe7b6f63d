#include "app/window_sizing.h"

#include <stdio.h>
#include <stdlib.h>

#include "app/clock_state.h"
#include "klingon/klingon_time.h"
#include "render/font_table.h"

SizingRow sizing_row(int layout) {
    static const SizingRow kRows[3] = {{70, 420}, {37, 150}, {20, 70}};
    static const SizingRow kOtherLayouts = {90, 420};
    return layout >= 1 && layout <= 3 ? kRows[layout - 1] : kOtherLayouts;
}

void resize_event(int width, int height) {
    giX = width;
    giY = height;
    giChange = 2;
}

// The compat runtime after 1.2.68 keeps the buffers of a window's first size when the mode is
// set again at another one, and overruns them at the next update (seen with 1.2.78 over SDL 2
// and over SDL 3). Passing through an OpenGL mode makes it give up the window and its buffers;
// the mode set after that opens the window anew at the new size, with the same caption. Classic
// SDL 1.2 and the earlier compat runtimes resize the window they have.
static SDL_Surface* set_video_mode(void) {
    const SDL_Surface* current = SDL_GetVideoSurface();
    const bool resizes = current != NULL && (current->w != giX || current->h != giY);
    if (resizes && SDL_Linked_Version()->patch > 68) {
        SDL_SetVideoMode(giX, giY, 32, SDL_OPENGL);
    }
    return SDL_SetVideoMode(giX, giY, 32, kVideoFlags);
}

bool open_window(void) {
    screen = set_video_mode();
    if (screen == NULL) {
        printf("Cannot open a %d x %d window: %s\n", giX, giY, SDL_GetError());
        return false;
    }
    return true;
}

// Sets the video mode again at giX x giY. Should that fail, the window goes back to the size it
// had; only when even that fails does the clock stop, as it has nothing left to draw on. The
// surface SDL returns for the window belongs to SDL, which frees or reuses it itself.
static void set_video_mode_again(void) {
    const int previousWidth = screen ? screen->w : kDefaultWidth;
    const int previousHeight = screen ? screen->h : kDefaultHeight;
    screen = set_video_mode();
    if (screen != NULL) {
        return;
    }
    giX = previousWidth;
    giY = previousHeight;
    if (!open_window()) {
        SDL_Quit();
        exit(1);
    }
}

void apply_pending_resize(void) {
    if (giChange == 1 && giKlingon == 1) {
        const SizingRow row = sizing_row(giGraphics);
        char probeText[kTimeTextSize];
        fConvTime(58, 58, 58, giSecs, probeText);
        int width = 0;
        int height = 0;
        measure_text(probeText, &width, &height);
        giChange = 0;
        giY = row.extraHeight + height;
        giX = width + 20;
        if (giX < row.minimumWidth) {
            giX = row.minimumWidth;
        }
        set_video_mode_again();
    }
    if (giChange == 1 && giKlingon == -1) {
        giX = 500;
        giY = 110;
        set_video_mode_again();
        giChange = 0;
    }
    if (giChange == 2) {
        set_video_mode_again();
        giChange = 0;
    }
}
