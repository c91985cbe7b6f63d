#include "render/draw_random.h"

#include <stdint.h>
#include <stdlib.h>

#ifdef __GLIBC__

// glibc's default rand(): the additive feedback generator x[i] = x[i-3] + x[i-31] (mod 2^32)
// over 31 words seeded by a Lehmer sequence, with 310 values discarded; each result is the new
// word shifted right by one.
static const int kDegree = 31;
static const int kSeparation = 3;
static int32_t gState[kDegree];
static int gFront = kSeparation;
static int gRear = 0;
static bool gSeeded = false;

static inline int next_draw(void) {
    uint32_t value = (uint32_t)gState[gFront] + (uint32_t)gState[gRear];
    gState[gFront] = (int32_t)value;
    if (++gFront == kDegree) {
        gFront = 0;
    }
    if (++gRear == kDegree) {
        gRear = 0;
    }
    return (int)(value >> 1);
}

void seed_draws(unsigned seed) {
    int32_t word = seed == 0 ? 1 : (int32_t)seed;
    gState[0] = word;
    for (int i = 1; i < kDegree; ++i) {
        // 16807 * word mod (2^31 - 1), without overflow (Schrage's method).
        int32_t hi = word / 127773;
        int32_t lo = word % 127773;
        word = 16807 * lo - 2836 * hi;
        if (word < 0) {
            word += 2147483647;
        }
        gState[i] = word;
    }
    gFront = kSeparation;
    gRear = 0;
    gSeeded = true;
    for (int i = 0; i < kDegree * 10; ++i) {
        next_draw();
    }
}

int draw_random(void) {
    if (!gSeeded) {
        seed_draws(1); // the sequence of a never-seeded rand()
    }
    return next_draw();
}

void draw_random_block(int* values, int count) {
    if (!gSeeded) {
        seed_draws(1);
    }
    for (int i = 0; i < count; ++i) {
        values[i] = next_draw();
    }
}

#else

int draw_random(void) {
    return rand();
}

void draw_random_block(int* values, int count) {
    for (int i = 0; i < count; ++i) {
        values[i] = rand();
    }
}

void seed_draws(unsigned seed) {
    srand(seed);
}

#endif
