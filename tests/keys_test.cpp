#include <gtest/gtest.h>

#include <array>
#include <limits.h>
#include <unistd.h>

#include "app/clock_state.h"
#include "app/key_commands.h"
#include "settings/settings_file.h"
#include "test_support.h"

struct CommandCase {
    int fontBefore;
    KeyCommand command;
    int fontAfter;
    int changeAfter;
};

TEST(KeyCommands, FontStepsStayInTheirFamily) {
    const CommandCase cases[] = {
        {12, kSmallerSize, 12, 0}, // smallest of its family: nothing, no refit
        {13, kSmallerSize, 12, 1}, {16, kLargerSize, 17, 1},
        {17, kLargerSize, 17, 0}, // largest of its family
        {0, kSmallerSize, -1, 1}, // -1 % 6 is -1: the wrap turns it into 53
        {53, kLargerSize, 53, 0},  {47, kNextFamily, 53, 1},
        {48, kNextFamily, 12, 1},  {53, kNextFamily, 17, 1},
        {12, kNextFamily, 18, 1},
    };
    for (const CommandCase& c : cases) {
        reset_clock_state();
        giFont = c.fontBefore;
        run_command(c.command);
        EXPECT_EQ(giFont, c.fontAfter) << c.fontBefore << " command " << c.command;
        EXPECT_EQ(giChange, c.changeAfter) << c.fontBefore << " command " << c.command;
    }
}

TEST(KeyCommands, FamilyCycleSkipsTheFirstTwoFamilies) {
    reset_clock_state();
    const int expected[] = {18, 24, 30, 36, 42, 48, 12, 18};
    for (int font : expected) {
        run_command(kNextFamily);
        EXPECT_EQ(giFont, font);
    }
}

TEST(KeyCommands, LayoutCycleAndTogglesTurnBack) {
    reset_clock_state();
    const int layouts[] = {2, 3, 1, 2};
    for (int layout : layouts) {
        giChange = 0;
        run_command(kNextLayout);
        EXPECT_EQ(giGraphics, layout);
        EXPECT_EQ(giChange, 1);
    }
    giGraphics = 5; // from a hand-edited file: never comes back to 1-3
    run_command(kNextLayout);
    EXPECT_EQ(giGraphics, 6);

    // The first press of S and K is checked key by key below; the second turns each back.
    for (KeyCommand toggle : {kToggleSeconds, kToggleSeconds, kToggleView, kToggleView}) {
        run_command(toggle);
    }
    EXPECT_EQ(giSecs, -1);
    EXPECT_EQ(giKlingon, 1);
}

// What each physical key does, from the code its release carries on either code set: the PC
// set-1 scancode, or the X keycode (as read off an X server's keymap). Every release is reported
// with the code it carries, command or not.
TEST(KeyCodes, PhysicalKeysOnBothCodeSets) {
    // Run, font, layout, seconds, view, resize request, and 1 where the settings were saved as
    // they stand.
    using Effect = std::array<int, 7>;
    const Effect unchanged = {1, 13, 1, -1, 1, 2, 0};
    const struct {
        const char* key;
        int pc, x11;
        Effect effect;
    } keys[] = {
        {"Esc", 1, 9, {0, 13, 1, -1, 1, 2, 0}},
        {"Q", 16, 24, {0, 13, 1, -1, 1, 2, 0}},
        {"minus", 12, 20, {1, 12, 1, -1, 1, 1, 0}},
        {"keypad minus", 74, 82, {1, 12, 1, -1, 1, 1, 0}},
        {"equals", 13, 21, {1, 14, 1, -1, 1, 1, 0}},
        {"keypad plus", 78, 86, {1, 14, 1, -1, 1, 1, 0}},
        {"S", 31, 39, {1, 13, 1, 1, 1, 1, 0}},
        {"F", 33, 41, {1, 19, 1, -1, 1, 1, 0}},
        {"G", 34, 42, {1, 13, 2, -1, 1, 1, 0}},
        {"K", 37, 45, {1, 13, 1, -1, -1, 1, 0}},
        {"C", 46, 54, {1, 13, 1, -1, 1, 2, 1}},
        // Keys without a command; on X11 these carry the PC codes of Q, C, minus and equals.
        {"7", 8, 16, unchanged},
        {"L", 38, 46, unchanged},
        {"3", 4, 12, unchanged},
        {"4", 5, 13, unchanged},
        {"Tab", 15, 23, unchanged},
    };
    enter_scratch_dir();
    for (const auto& key : keys) {
        for (int x11 = 0; x11 <= 1; ++x11) {
            SCOPED_TRACE(testing::Message() << key.key << (x11 ? " on X11" : " as PC code"));
            reset_clock_state();
            giFont = 13;
            giChange = 2; // a hand resize waits: a refit replaces it, anything else leaves it
            unlink("config.cwk");
            const int code = x11 ? key.x11 : key.pc;
            EXPECT_EQ(printed_by([&] { key_command(code, x11); }),
                      "Key pressed " + std::to_string(code) + " \n");
            const int saved = read_file("config.cwk") == text_file("13\n1\n680\n100\n");
            const Effect effect = {giRun, giFont, giGraphics, giSecs, giKlingon, giChange, saved};
            EXPECT_EQ(effect, key.effect);
        }
    }
    leave_scratch_dir();

    // Which set arrives: classic SDL 1.2 (1.2.15) gives X keycodes on x11 only; the compat
    // runtime (1.2.50 and up) gives them on Linux under every driver, Wayland included. Windows'
    // own drivers give set-1 codes.
    EXPECT_TRUE(key_codes_are_x11(15, "x11"));
    EXPECT_FALSE(key_codes_are_x11(15, "fbcon"));
    EXPECT_FALSE(key_codes_are_x11(15, "dummy"));
    EXPECT_TRUE(key_codes_are_x11(50, "x11"));
    EXPECT_FALSE(key_codes_are_x11(49, "wayland"));
#ifdef __linux__
    EXPECT_TRUE(key_codes_are_x11(68, "wayland"));
    EXPECT_TRUE(key_codes_are_x11(60, "dummy"));
#else
    EXPECT_FALSE(key_codes_are_x11(16, "windib"));
    EXPECT_FALSE(key_codes_are_x11(78, "directx"));
#endif
}

TEST(FontWrap, BringsAnyIndexIntoRange) {
    const int cases[][2] = {{0, 0},    {53, 53},  {54, 0},     {60, 6},
                            {107, 53}, {108, 0},  {200, 38},   {-1, 53},
                            {-5, 53},  {-54, 53}, {-1000, 53}, {2147483647, 2147483647 % 54}};
    for (const auto& c : cases) {
        giFont = c[0];
        wrap_font_index();
        EXPECT_EQ(giFont, c[1]) << c[0];
    }
}

// Hand-edited settings at the int limits: the steps before the first wrap stay defined (the
// sanitizer build aborts on a signed overflow) and end in range like any other stray value.
TEST(KeyCommands, StoredValuesAtTheIntLimitsStepWithoutOverflow) {
    enter_scratch_dir();
    const struct {
        const char* file;
        KeyCommand command;
        int fontAfter, layoutAfter, fontWrapped;
    } cases[] = {
        {"2147483647\n2147483647\n", kNextFamily, 2147483605, 2147483647, 49},
        {"2147483647\n1\n", kLargerSize, 2147483647, 1, 2147483647 % 54},
        {"-2147483648\n1\n", kSmallerSize, -2147483647 - 1, 1, 53},
        {"-2147483648\n1\n", kNextFamily, -2147483642, 1, 53},
        {"99999999999\n99999999999\n", kNextLayout, 2147483647, 2147483647, 2147483647 % 54},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        reset_clock_state();
        write_file("config.cwk", c.file);
        read_settings();
        run_command(c.command);
        EXPECT_EQ(giFont, c.fontAfter);
        EXPECT_EQ(giGraphics, c.layoutAfter);
        wrap_font_index();
        EXPECT_EQ(giFont, c.fontWrapped);
    }
    leave_scratch_dir();
}
