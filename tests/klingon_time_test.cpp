#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>

#include "klingon/klingon_time.h"

static std::string phrase(int hour, int minute, int second, int showSeconds) {
    char text[kTimeTextSize];
    memset(text, 'x', sizeof text);
    fConvTime(hour, minute, second, showSeconds, text);
    return text;
}

TEST(TimePhrase, WorkedReadings) {
    EXPECT_EQ(phrase(9, 5, 7, -1), "Hutvatlh vagh rep ");
    EXPECT_EQ(phrase(14, 30, 45, 1), "wa'maH loSvatlh wejmaH pagh rep loSmaH vagh lup");
    EXPECT_EQ(phrase(0, 0, 0, 1), "paghvatlh  rep ");
    EXPECT_EQ(phrase(12, 0, 5, 1), "wa'maH cha'vatlh  rep vagh lup");
    EXPECT_EQ(phrase(23, 59, 0, 1), "cha'maH wejvatlh vaghmaH Hut rep ");
    EXPECT_EQ(phrase(10, 10, 10, 1), "wa'maH paghvatlh wa'maH pagh rep wa'maH pagh lup");
    EXPECT_EQ(phrase(18, 58, 58, 1), "wa'maH chorghvatlh vaghmaH chorgh rep vaghmaH chorgh lup");
    EXPECT_EQ(phrase(20, 7, 3, 1), "cha'maH paghvatlh Soch rep wej lup");
    // The seconds show only for a positive flag and a second past 0.
    EXPECT_EQ(phrase(1, 1, 1, 0), "wa'vatlh wa' rep ");
    EXPECT_EQ(phrase(1, 1, 1, -7), "wa'vatlh wa' rep ");
    EXPECT_EQ(phrase(1, 1, 1, 7), "wa'vatlh wa' rep wa' lup");
    EXPECT_EQ(phrase(1, 1, 0, 1), "wa'vatlh wa' rep ");
}

// Reads a number back from its words: "<tens>maH <unit>" or "<unit>", or nothing for 0. Returns
// -1 for anything that is not a well-formed number (a tens word of pagh included).
static int read_number(const std::string& words) {
    static const char* const digits[10] = {"pagh", "wa'", "cha'", "wej",    "loS",
                                           "vagh", "jav", "Soch", "chorgh", "Hut"};
    auto digit = [](const std::string& word) {
        const auto found = std::find(std::begin(digits), std::end(digits), word);
        return found == std::end(digits) ? -1 : (int)(found - digits);
    };
    if (words.empty()) {
        return 0;
    }
    const size_t tens = words.find("maH ");
    if (tens == std::string::npos) {
        return digit(words);
    }
    const int high = digit(words.substr(0, tens)), low = digit(words.substr(tens + 4));
    return high > 0 && low >= 0 ? 10 * high + low : -1;
}

// Every reading of a day (a leap second included), with and without seconds, read back from its
// phrase: the hour before "vatlh ", the minutes before " rep ", the seconds before a closing
// " lup".
TEST(TimePhrase, EveryReadingOfTheDayReadsBack) {
    size_t longest = 0;
    for (int hour = 0; hour < 24; ++hour) {
        for (int minute = 0; minute < 60; ++minute) {
            for (int second = 0; second <= 60; ++second) {
                for (int shown = -1; shown <= 1; shown += 2) {
                    const std::string text = phrase(hour, minute, second, shown);
                    SCOPED_TRACE(text);
                    const size_t vatlh = text.find("vatlh ");
                    const size_t rep = text.find(" rep ");
                    ASSERT_NE(vatlh, std::string::npos);
                    ASSERT_EQ(rep, text.rfind(" rep "));
                    ASSERT_GE(rep, vatlh + 5);
                    std::string secondWords = text.substr(rep + 5);
                    const bool lup = secondWords.size() >= 4 &&
                                     secondWords.compare(secondWords.size() - 4, 4, " lup") == 0;
                    ASSERT_EQ(lup, shown > 0 && second > 0);
                    if (lup) {
                        secondWords.resize(secondWords.size() - 4);
                    }
                    EXPECT_EQ(read_number(text.substr(0, vatlh)), hour);
                    EXPECT_EQ(read_number(text.substr(vatlh + 6, rep - vatlh - 6)), minute);
                    EXPECT_EQ(read_number(secondWords), lup ? second : 0);
                    longest = std::max(longest, text.size());
                }
            }
        }
    }
    EXPECT_EQ(longest, (size_t)kLongestTimePhrase);
}

TEST(TimePhrase, ValuesNoClockGivesStayWithinTheBuffer) {
    const int extremes[] = {-2147483647 - 1, -100, -1, 38, 58, 99, 100, 888, 2147483647};
    for (int hour : extremes) {
        for (int minute : extremes) {
            for (int second : extremes) {
                EXPECT_LT(phrase(hour, minute, second, 1).size(), (size_t)kTimeTextSize);
            }
        }
    }
    EXPECT_EQ(phrase(58, 58, 58, 1), "cha'maH chorghvatlh vaghmaH chorgh rep vaghmaH chorgh lup");
}

TEST(DigitWords, OutOfRangeLeavesTheBufferAndSplitsTruncate) {
    char word[16] = "keep";
    get_digit(10, word);
    EXPECT_STREQ(word, "keep");
    get_digit(-1, word);
    EXPECT_STREQ(word, "keep");
    get_digit(7, word);
    EXPECT_STREQ(word, "Soch");
    EXPECT_EQ(get_ten(58), 5);
    EXPECT_EQ(get_single(58), 8);
    EXPECT_EQ(get_ten(-15), -1);
    EXPECT_EQ(get_single(-1), -1);
}
