// The Klingon numeral pictures and the HH:MM:SS row below the words.
#pragma once

#include <SDL/SDL.h>

const int kPictureStyles = 3;

extern SDL_Surface* numberImages[kPictureStyles * 10]; // style * 10 + digit
extern SDL_Surface* dotImages[kPictureStyles];

// Loads the 30 numeral pictures in index order, then the 3 dots. A picture that fails to load
// stays absent and draws nothing.
void load_pictures(void);

// Draws HH:MM:SS as pictures below timeText, spaced by the current layout.
void draw_clock_row(const char* timeText, int hour, int minute, int second);
