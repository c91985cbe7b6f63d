#include "klingon/klingon_time.h"

#include <string.h>

static const char* const kDigitWords[10] = {"pagh", "wa'", "cha'", "wej",    "loS",
                                            "vagh", "jav", "Soch", "chorgh", "Hut"};

// The probe for sizing asks for hour 58, whose hour word (38) no real reading has. "chorgh", the
// widest digit word, keeps the probe at least as wide as every real phrase.
static const char* const kProbeHourWord = "chorgh";

void get_digit(int value, char* dst) {
    if (value >= 0 && value <= 9) {
        strcpy(dst, kDigitWords[value]);
    }
}

int get_ten(int value) {
    return value / 10;
}

int get_single(int value) {
    return value % 10;
}

// Appends "<tens>maH " when the value has tens, then the unit word. A digit out of 0-9 (only from
// values no clock gives) repeats whatever word the scratch buffer last held.
static void append_tens_and_unit(int value, char* scratch, char* dst) {
    if (value > 9) {
        get_digit(value / 10, scratch);
        strcat(dst, scratch);
        strcat(dst, "maH ");
    }
    get_digit(value % 10, scratch);
    strcat(dst, scratch);
}

void fConvTime(int hour, int minute, int second, int showSeconds, char* dst) {
    char word[8] = "";
    int unit = hour;
    if (hour <= 9) {
        dst[0] = '\0';
    } else if (hour <= 19) {
        strcpy(dst, "wa'maH ");
        unit = hour - 10;
    } else {
        strcpy(dst, "cha'maH ");
        unit = hour - 20;
    }
    if (unit == 38) {
        strcpy(word, kProbeHourWord);
    } else {
        get_digit(unit, word);
    }
    strcat(dst, word);
    strcat(dst, "vatlh ");

    if (minute > 0) {
        append_tens_and_unit(minute, word, dst);
    }
    strcat(dst, " rep ");

    if (second > 0 && showSeconds > 0) {
        append_tens_and_unit(second, word, dst);
        strcat(dst, " lup");
    }
}
