#include "render/font_table.h"

#include <stdio.h>

#include "app/clock_state.h"
#include "render/blit.h"

TTF_Font* fontTable[kFontCount];
SDL_Color textColor;

static const char* const kFamilyFiles[kFontFamilies] = {
    "Fonts/tomnr.ttf",    "Fonts/tomnr.ttf",   "Fonts/KLS_____.ttf",
    "Fonts/KLB_____.ttf", "Fonts/bboron.ttf",  "Fonts/geodesic.ttf",
    "Fonts/levity.ttf",   "Fonts/KLINGON.ttf", "Fonts/tomnr.ttf",
};

const char* font_file(int family) {
    return kFamilyFiles[family];
}

int font_point_size(int step) {
    return 18 + 3 * step;
}

void open_font_table(void) {
    textColor.r = 255;
    textColor.g = 240;
    textColor.b = 200;
    textColor.unused = 0;

    for (int step = 0; step < kFontSteps; ++step) {
        for (int family = 0; family < kFontFamilies; ++family) {
            fontTable[family * kFontSteps + step] =
                TTF_OpenFont(font_file(family), font_point_size(step));
        }
    }
    for (int index = 0; index < kFontCount; ++index) {
        if (fontTable[index] == NULL) {
            printf("failed load \n");
        }
    }
}

void close_font_table(void) {
    for (TTF_Font*& font : fontTable) {
        if (font != NULL) {
            TTF_CloseFont(font);
            font = NULL;
        }
    }
}

TTF_Font* current_font(void) {
    if (giFont < 0 || giFont >= kFontCount) {
        return NULL;
    }
    return fontTable[giFont];
}

void draw_text_line(const char* text) {
    TTF_Font* font = current_font();
    SDL_Surface* rendered = font ? TTF_RenderText_Blended(font, text, textColor) : NULL;
    if (rendered == NULL) {
        printf("failed to render font \n");
        return;
    }
    apply_surface(0, 0, rendered, screen);
    SDL_FreeSurface(rendered);
}

void measure_text(const char* text, int* width, int* height) {
    *width = 0;
    *height = 0;
    TTF_Font* font = current_font();
    if (font != NULL) {
        TTF_SizeText(font, text, width, height);
    }
}
