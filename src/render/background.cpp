#include "render/background.h"

#include "app/clock_state.h"
#include "render/blit.h"
#include "render/draw_random.h"

SDL_Surface* backgroundStrips[kStripCount];

void putpixel(SDL_Surface* surface, int x, int y, int pixel) {
    Uint32* pixels = (Uint32*)surface->pixels;
    pixels[y * (surface->pitch / 4) + x] = (Uint32)pixel;
}

SDL_Surface* create_strip_surface(void) {
    return SDL_CreateRGBSurface(SDL_HWSURFACE | SDL_SRCALPHA, kStripWidth, kStripHeight, 32,
                                0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF);
}

void fill_strip(SDL_Surface* strip) {
    const bool locked = strip != NULL && SDL_MUSTLOCK(strip) && SDL_LockSurface(strip) == 0;
    for (int x = 0; x < kStripWidth; ++x) {
        for (int y = 0; y < kStripHeight; ++y) {
            const int s = x + y;
            const Uint32 red = (Uint32)(draw_random() % 10 + s / 15 + 30) & 0xFF;
            const Uint32 green = (Uint32)(draw_random() % 10 + s / 30 + 20) & 0xFF;
            const Uint32 blue = (Uint32)(draw_random() % 10 + s / 60) & 0xFF;
            const Uint32 pixel = (red << 24) | (green << 16) | (blue << 8) | 0xFF;
            if (strip != NULL) {
                putpixel(strip, x, y, (int)pixel);
            }
        }
    }
    if (locked) {
        SDL_UnlockSurface(strip);
    }
}

void generate_strips(void) {
    for (int i = 0; i < kStripCount; ++i) {
        SDL_Surface* strip = create_strip_surface();
        fill_strip(strip);
        SDL_Surface* prepared = strip ? SDL_DisplayFormat(strip) : NULL;
        if (prepared != NULL) {
            SDL_FreeSurface(strip);
            strip = prepared;
        }
        // The strip is opaque, so copying it without blending draws the same picture.
        if (strip != NULL) {
            SDL_SetAlpha(strip, 0, SDL_ALPHA_OPAQUE);
        }
        backgroundStrips[i] = strip;
    }
}

void paint_background(void) {
    SDL_Surface* strip = backgroundStrips[draw_random() % kStripCount];
    apply_surface(0, 0, strip, screen);
    // Further tiles where the window reaches below the previous ones.
    static const int kTileThresholds[] = {150, 350, 550, 750};
    for (int tile = 0; tile < 4; ++tile) {
        if (giY > kTileThresholds[tile]) {
            apply_surface(0, (tile + 1) * kStripHeight, strip, screen);
        }
    }
}
