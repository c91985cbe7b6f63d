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
    // A column's draws are taken in one call: the same sequence, without a call per draw.
    int draws[3 * kStripHeight];
    for (int x = 0; x < kStripWidth; ++x) {
        draw_random_block(draws, 3 * kStripHeight);
        const int* next = draws;
        for (int y = 0; y < kStripHeight; ++y) {
            const int s = x + y;
            const Uint32 red = (Uint32)(next[0] % 10 + s / 15 + 30) & 0xFF;
            const Uint32 green = (Uint32)(next[1] % 10 + s / 30 + 20) & 0xFF;
            const Uint32 blue = (Uint32)(next[2] % 10 + s / 60) & 0xFF;
            next += 3;
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

// The strip in the window's format. For the usual 32-bit xRGB window that is each pixel shifted
// right by a byte, done here directly: SDL's general converter takes about 1.5 ms a strip.
static SDL_Surface* prepare_strip(SDL_Surface* strip) {
    const SDL_Surface* display = SDL_GetVideoSurface();
    if (display == NULL || display->format->BitsPerPixel != 32 ||
        display->format->Rmask != 0x00FF0000 || display->format->Gmask != 0x0000FF00 ||
        display->format->Bmask != 0x000000FF) {
        return SDL_DisplayFormat(strip);
    }
    SDL_Surface* prepared = SDL_CreateRGBSurface(SDL_SWSURFACE, strip->w, strip->h, 32, 0x00FF0000,
                                                 0x0000FF00, 0x000000FF, 0);
    if (prepared == NULL) {
        return NULL;
    }
    for (int y = 0; y < strip->h; ++y) {
        const Uint32* from = (const Uint32*)((const Uint8*)strip->pixels + y * strip->pitch);
        Uint32* to = (Uint32*)((Uint8*)prepared->pixels + y * prepared->pitch);
        for (int x = 0; x < strip->w; ++x) {
            to[x] = from[x] >> 8;
        }
    }
    return prepared;
}

void generate_strips(void) {
    for (int i = 0; i < kStripCount; ++i) {
        SDL_Surface* strip = create_strip_surface();
        fill_strip(strip);
        SDL_Surface* prepared = strip ? prepare_strip(strip) : NULL;
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
