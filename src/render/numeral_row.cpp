#include "render/numeral_row.h"

#include <SDL/SDL_image.h>
#include <stdio.h>

#include "app/clock_state.h"
#include "klingon/klingon_time.h"
#include "render/blit.h"
#include "render/font_table.h"

SDL_Surface* numberImages[kPictureStyles * 10];
SDL_Surface* dotImages[kPictureStyles];

static const char* const kDotFiles[kPictureStyles] = {"graphics/circle.gif", "graphics/circle2.gif",
                                                      "graphics/circle4.gif"};

// Scale, picture style and upward offset of the row for layouts 1, 2 and 3.
struct RowLayout {
    int scale;
    int style;
    int offset;
};
static const RowLayout kRowLayouts[3] = {{4, 0, 30}, {2, 1, 12}, {1, 2, 5}};

void load_pictures(void) {
    char path[32];
    for (int index = 0; index < kPictureStyles * 10; ++index) {
        // Style s keeps its digits in files 20 * s + digit.
        snprintf(path, sizeof path, "graphics/%d.gif", (index / 10) * 20 + index % 10);
        numberImages[index] = IMG_Load(path);
    }
    for (int style = 0; style < kPictureStyles; ++style) {
        dotImages[style] = IMG_Load(kDotFiles[style]);
    }
}

void draw_clock_row(const char* timeText, int hour, int minute, int second) {
    int width = 0;
    int height = 0;
    measure_text(timeText, &width, &height);

    // A layout with no row (only from a hand-edited settings file) keeps the last scale and
    // style and subtracts nothing.
    int top = height;
    if (giGraphics >= 1 && giGraphics <= 3) {
        const RowLayout& row = kRowLayouts[giGraphics - 1];
        giGM = row.scale;
        giKSize = row.style;
        top = height - row.offset;
    }

    const int g = giGM;
    SDL_Surface* const* digits = &numberImages[giKSize * 10];
    const int digitY = 10 * g + top;
    apply_surface(0, digitY, digits[get_ten(hour)], screen);
    apply_surface(10 * g, digitY, digits[get_single(hour)], screen);
    apply_surface(40 * g, digitY, digits[get_ten(minute)], screen);
    apply_surface(52 * g, digitY, digits[get_single(minute)], screen);
    apply_surface(80 * g, digitY, digits[get_ten(second)], screen);
    apply_surface(92 * g, digitY, digits[get_single(second)], screen);

    SDL_Surface* dot = dotImages[giKSize];
    apply_surface(26 * g, 6 * g + top, dot, screen);
    apply_surface(26 * g, 11 * g + top, dot, screen);
    apply_surface(66 * g, 6 * g + top, dot, screen);
    apply_surface(66 * g, 11 * g + top, dot, screen);
}
