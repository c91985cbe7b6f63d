#include "app/window_sizing.h"

#include <stdio.h>
#include <stdlib.h>

#include "app/clock_state.h"
#include "app/window_reopen.h"
#include "klingon/klingon_time.h"
#include "render/font_table.h"

SizingRow sizing_row(int layout) {
    static const SizingRow kRows[3] = {{70, 420}, {37, 150}, {20, 70}};
    static const SizingRow kOtherLayouts = {90, 420};
    return layout >= 1 && layout <= 3 ? kRows[layout - 1] : kOtherLayouts;
}

void clock_view_fit(int* width, int* height) {
    const SizingRow row = sizing_row(giGraphics);
    char probeText[kTimeTextSize];
    fConvTime(58, 58, 58, giSecs, probeText);
    int textWidth = 0;
    int textHeight = 0;
    measure_text(probeText, &textWidth, &textHeight);
    *height = row.extraHeight + textHeight;
    *width = textWidth + 20;
    if (*width < row.minimumWidth) {
        *width = row.minimumWidth;
    }
}

void resize_event(int width, int height) {
    giX = width;
    giY = height;
    giChange = 2;
}

static SDL_Surface* set_video_mode(void) {
    const SDL_Surface* current = SDL_GetVideoSurface();
    const bool resizes = current != NULL && (current->w != giX || current->h != giY);
    if (resizes && window_reopens_to_resize()) {
        return reopen_window(giX, giY, kVideoFlags);
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

// Replacing the window while the user drags its frame would end the drag after its first step.
// So where the runtime replaces the window for every size, a burst of hand resizes is applied
// once none has come for kHandResizeQuietMs; meanwhile the runtime scales the last frame to fit.
static bool handResizeHeld = false;
static int heldWidth = 0;
static int heldHeight = 0;
static Uint32 heldSince = 0;

// Keeps the hand size for later and the surface's size in giX x giY, which every pass draws.
static void hold_hand_resize(void) {
    handResizeHeld = true;
    heldWidth = giX;
    heldHeight = giY;
    heldSince = SDL_GetTicks();
    giX = screen->w;
    giY = screen->h;
    giChange = 0;
}

void window_size_to_save(int* width, int* height) {
    *width = handResizeHeld ? heldWidth : giX;
    *height = handResizeHeld ? heldHeight : giY;
}

static void apply_held_hand_resize(void) {
    if (handResizeHeld && SDL_GetTicks() - heldSince >= kHandResizeQuietMs) {
        handResizeHeld = false;
        giX = heldWidth;
        giY = heldHeight;
        set_video_mode_again();
    }
}

void apply_pending_resize(void) {
    if (giChange == 2 && screen != NULL && window_reopens_to_resize()) {
        hold_hand_resize();
    }
    if (giChange == 1) {
        handResizeHeld = false; // a fit overrides the size chosen by hand
    }
    if (giChange == 1 && giKlingon == 1) {
        giChange = 0;
        clock_view_fit(&giX, &giY);
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
    apply_held_hand_resize();
}
