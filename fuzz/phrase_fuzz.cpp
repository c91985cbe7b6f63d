// Fuzzes the phrase builder fConvTime with arbitrary ints.
//
// What must hold for any ints: no crash or undefined behaviour, and a terminated phrase that
// fits the caller's kTimeTextSize buffer (a heap block of exactly that size, so that
// AddressSanitizer sees any write past it). Each input also gives a real clock reading (hour
// 0-23, minute 0-59, second 0-60): its phrase is at most kLongestTimePhrase characters, made of
// the number words and their separators only, and reads back as that very time.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "fuzz_check.h"
#include "klingon/klingon_time.h"

static const char* const kWords[10] = {"pagh", "wa'", "cha'", "wej",    "loS",
                                       "vagh", "jav", "Soch", "chorgh", "Hut"};

// The longest phrase any ints give: every part repeats a word of at most six letters.
static const size_t kLongestAnyPhrase = 61;

static bool take(const char** text, const char* expected) {
    const size_t length = strlen(expected);
    if (strncmp(*text, expected, length) != 0) {
        return false;
    }
    *text += length;
    return true;
}

// A digit word, or -1.
static int take_digit(const char** text) {
    for (int digit = 0; digit < 10; ++digit) {
        if (take(text, kWords[digit])) {
            return digit;
        }
    }
    return -1;
}

// "[<tens>maH ]<unit>" for a value of 1-99, or -1 when the text is not one.
static int take_number(const char** text) {
    const int first = take_digit(text);
    if (first < 0) {
        return -1;
    }
    if (!take(text, "maH ")) {
        return first >= 1 ? first : -1;
    }
    const int unit = take_digit(text);
    return first >= 1 && unit >= 0 ? first * 10 + unit : -1;
}

// Reads a phrase back into hour, minute (0 when absent) and second (-1 when absent); false when
// the phrase is not well-formed.
static bool parse_phrase(const char* text, int* hour, int* minute, int* second) {
    int tens = 0;
    if (take(&text, "wa'maH ")) {
        tens = 1;
    } else if (take(&text, "cha'maH ")) {
        tens = 2;
    }
    const int unit = take_digit(&text);
    if (unit < 0 || !take(&text, "vatlh ")) {
        return false;
    }
    *hour = tens * 10 + unit;
    *minute = 0;
    if (!take(&text, " rep ")) {
        *minute = take_number(&text);
        if (*minute < 0 || !take(&text, " rep ")) {
            return false;
        }
    }
    *second = -1;
    if (*text == '\0') {
        return true;
    }
    *second = take_number(&text);
    return *second >= 0 && take(&text, " lup") && *text == '\0';
}

static int int_at(const uint8_t* data, size_t size, size_t index) {
    uint32_t value = 0;
    for (size_t byte = 0; byte < 4; ++byte) {
        const size_t at = index * 4 + byte;
        value |= (uint32_t)(at < size ? data[at] : 0) << (8 * byte);
    }
    return (int)value;
}

static int reduce(int value, int modulus) {
    return (int)((int64_t)value % modulus + modulus) % modulus;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int hour = int_at(data, size, 0);
    const int minute = int_at(data, size, 1);
    const int second = int_at(data, size, 2);
    const int showSeconds = int_at(data, size, 3);

    char* phrase = static_cast<char*>(malloc(kTimeTextSize));
    memset(phrase, 'X', kTimeTextSize);
    fConvTime(hour, minute, second, showSeconds, phrase);
    CHECK(strlen(phrase) <= kLongestAnyPhrase);

    const int realHour = reduce(hour, 24);
    const int realMinute = reduce(minute, 60);
    const int realSecond = reduce(second, 61);
    memset(phrase, 'X', kTimeTextSize);
    fConvTime(realHour, realMinute, realSecond, showSeconds, phrase);
    CHECK(strlen(phrase) <= (size_t)kLongestTimePhrase);
    int readHour = -1, readMinute = -1, readSecond = -1;
    CHECK(parse_phrase(phrase, &readHour, &readMinute, &readSecond));
    CHECK(readHour == realHour);
    CHECK(readMinute == realMinute);
    CHECK(readSecond == (showSeconds > 0 && realSecond > 0 ? realSecond : -1));

    free(phrase);
    return 0;
}
