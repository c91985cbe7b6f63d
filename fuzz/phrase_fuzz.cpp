// Fuzzes the phrase builder fConvTime with arbitrary ints.
//
// What must hold for any ints: no crash or undefined behaviour, and a terminated phrase that
// fits the caller's kTimeTextSize buffer (a heap block of exactly that size, so that
// AddressSanitizer sees any write past it). Every real clock reading is read back from its
// phrase by the unit tests.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "fuzz_check.h"
#include "klingon/klingon_time.h"

// The longest phrase any ints give: every part repeats a word of at most six letters.
static const size_t kLongestAnyPhrase = 61;

static int int_at(const uint8_t* data, size_t size, size_t index) {
    uint32_t value = 0;
    for (size_t byte = 0; byte < 4; ++byte) {
        const size_t at = index * 4 + byte;
        value |= (uint32_t)(at < size ? data[at] : 0) << (8 * byte);
    }
    return (int)value;
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

    free(phrase);
    return 0;
}
