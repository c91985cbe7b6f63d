// Changing the window's size on SDL 1.2 runtimes that must open the window anew to do it.
#pragma once

#include <SDL/SDL.h>

// Whether the loaded SDL 1.2 runtime has to replace the window to give it another size.
bool window_reopens_to_resize(void);

// Sets the video mode at width x height on such a runtime: the window is replaced once, at the
// place where the old one stood, and keeps staying above others or on every desktop.
SDL_Surface* reopen_window(int width, int height, Uint32 flags);
