// The 54 fonts (9 families x 6 sizes), the text colour, and drawing and measuring text.
#pragma once

#include <SDL/SDL_ttf.h>

const int kFontFamilies = 9;
const int kFontSteps = 6;
const int kFontCount = kFontFamilies * kFontSteps;

extern TTF_Font* fontTable[kFontCount];
extern SDL_Color textColor;

// The file of a font family and the point size of a size step.
const char* font_file(int family);
int font_point_size(int step);

// Opens every entry, then prints "failed load " once per entry that did not open.
void open_font_table(void);

// Closes every open entry, leaving the table empty: the clock keeps its fonts until it ends, so
// only a program that opens the table again (a test, a benchmark) needs this.
void close_font_table(void);

// The current font, fontTable[giFont]; NULL when that entry did not open or the index is out of
// range, so no absent font ever reaches SDL_ttf.
TTF_Font* current_font(void);

// Renders text in the current font at the top-left corner of the screen.
void draw_text_line(const char* text);

// Width and height of text in the current font; 0 x 0 without a font.
void measure_text(const char* text, int* width, int* height);
