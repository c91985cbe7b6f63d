// Klingon number words and the time phrase.
#pragma once

// The longest phrase a real clock reading gives (18:58:58 with seconds), without the terminator.
const int kLongestTimePhrase = 56;
// A buffer that holds the phrase for any ints whatever, the sizing probe's included (at most 61
// characters: every part repeats a word of at most six letters).
const int kTimeTextSize = 64;

// Copies the word for a digit 0-9 into dst; any other value leaves dst untouched.
void get_digit(int value, char* dst);
// Tens and units of a value, with C's truncating division.
int get_ten(int value);
int get_single(int value);

// Writes the phrase for hour:minute:second into dst (kTimeTextSize characters). The seconds are
// included only when showSeconds > 0 and second > 0.
void fConvTime(int hour, int minute, int second, int showSeconds, char* dst);
