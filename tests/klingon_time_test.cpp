#include <gtest/gtest.h>

#include <string.h>
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
}

TEST(TimePhrase, SecondsShownOnlyForPositiveFlagAndSecond) {
    EXPECT_EQ(phrase(1, 1, 1, 0), "wa'vatlh wa' rep ");
    EXPECT_EQ(phrase(1, 1, 1, -7), "wa'vatlh wa' rep ");
    EXPECT_EQ(phrase(1, 1, 1, 7), "wa'vatlh wa' rep wa' lup");
    EXPECT_EQ(phrase(1, 1, 0, 1), "wa'vatlh wa' rep ");
}

// Every reading of a day, with and without seconds: the length bound holds, and the phrase is
// the hour, minute and second parts separated exactly as read back here.
TEST(TimePhrase, EveryReadingOfTheDayIsBoundedAndReadsBack) {
    static const char* const words[10] = {"pagh", "wa'", "cha'", "wej",    "loS",
                                          "vagh", "jav", "Soch", "chorgh", "Hut"};
    auto number = [&](int value) {
        std::string text = value > 9 ? std::string(words[value / 10]) + "maH " : "";
        return text + words[value % 10];
    };
    size_t longest = 0;
    for (int hour = 0; hour < 24; ++hour) {
        for (int minute = 0; minute < 60; ++minute) {
            for (int second = 0; second < 60; ++second) {
                for (int shown = -1; shown <= 1; shown += 2) {
                    std::string expected = (hour >= 20   ? "cha'maH "
                                            : hour >= 10 ? "wa'maH "
                                                         : "") +
                                           std::string(words[hour % 10]) + "vatlh " +
                                           (minute > 0 ? number(minute) : "") + " rep " +
                                           (shown > 0 && second > 0 ? number(second) + " lup" : "");
                    std::string actual = phrase(hour, minute, second, shown);
                    ASSERT_EQ(actual, expected) << hour << ":" << minute << ":" << second;
                    longest = std::max(longest, actual.size());
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
