// The one way pictures, strips and text reach a surface.
#pragma once

#include <SDL/SDL.h>

// Blits the whole of source with its top-left corner at (x, y) of destination, clipped.
// An absent source draws nothing.
void apply_surface(int x, int y, SDL_Surface* source, SDL_Surface* destination);
