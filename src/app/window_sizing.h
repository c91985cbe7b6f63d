// Keeping the window the size of what it shows.
#pragma once

#include <SDL/SDL.h>

// Extra height below the text and the least width of a fitted clock view, by layout.
struct SizingRow {
    int extraHeight;
    int minimumWidth;
};
// The row of layout 1, 2 or 3. Any other layout (only from a hand-edited settings file) draws
// large pictures at scale 3, so it gets room for them: 90 px below the text, 420 px across.
SizingRow sizing_row(int layout);

// The size of a fitted clock view: the phrase for 58:58:58 (with the seconds when they are shown)
// measured in the current font, with the layout's extra height and least width.
void clock_view_fit(int* width, int* height);

// The user resized the window by hand: apply width x height in this pass. Where the runtime
// replaces the window to resize it, a burst of hand resizes (a drag of the window's frame) is
// applied once none has come for kHandResizeQuietMs.
void resize_event(int width, int height);
const Uint32 kHandResizeQuietMs = 400;

// Opens the window at giX x giY, or gives the open one that size, replacing screen. Prints a
// line and returns false when no window can be had at that size.
bool open_window(void);

// The size a save stores: the one a hand resize still held back is about to give the window, else
// giX x giY.
void window_size_to_save(int* width, int* height);

// Carries out a pending resize request (giChange), once a pass after the background.
void apply_pending_resize(void);
