// The shimmering background: 20 noise strips made once, one of them tiled down every frame.
#pragma once

#include <SDL/SDL.h>

const int kStripCount = 20;
const int kStripWidth = 1300;
const int kStripHeight = 200;

extern SDL_Surface* backgroundStrips[kStripCount];

// Stores the 32-bit pattern pixel at column x, row y of a 32-bit surface. No bounds check.
void putpixel(SDL_Surface* surface, int x, int y, int pixel);

// An empty strip: 32-bit RGBA (red in the top byte) with per-pixel alpha blending.
SDL_Surface* create_strip_surface(void);
// Fills a strip with the dark red gradient and its grain: three random draws a pixel, red,
// green, blue, columns outermost. A NULL strip still takes its draws, so the ones after it stay
// the same.
void fill_strip(SDL_Surface* strip);

// Makes the 20 strips. Each is generated as above, then kept in the window's pixel format:
// the strips are opaque, so this draws the same picture without per-pixel blending.
void generate_strips(void);

// Paints one randomly chosen strip at the top of the screen, tiled down to cover giY.
void paint_background(void);
