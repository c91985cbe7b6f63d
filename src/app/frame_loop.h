// Start-up of the clock's resources and the passes of its frame loop.
#pragma once

#include <time.h>

// Reads the settings, starts SDL and SDL_ttf and opens the window with its caption. Returns
// false, after printing why, when no window can be opened.
bool start_clock(void);
// Opens the fonts, loads the pictures and makes the background strips.
void load_resources(void);

// One pass without its closing sleep: take at most one event, wrap the font index, compose the
// time text, paint the background, apply a pending resize, draw the view and present it.
// forcedTime stands in for the local clock when not NULL (for tests).
void run_frame_stages(const struct tm* forcedTime);
// One whole pass, with the 50 ms sleep that paces the loop.
void run_frame_pass(void);
