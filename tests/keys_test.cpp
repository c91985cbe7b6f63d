#include <gtest/gtest.h>

#include "app/clock_state.h"
#include "app/key_commands.h"
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

TEST(KeyCommands, LargerSizeFiveTimesFromTheDefault) {
    reset_clock_state();
    for (int i = 0; i < 5; ++i) {
        run_command(kLargerSize);
    }
    EXPECT_EQ(giFont, 17);
    run_command(kLargerSize);
    EXPECT_EQ(giFont, 17);
    EXPECT_EQ(giChange, 0);
}

TEST(KeyCommands, FamilyCycleSkipsTheFirstTwoFamilies) {
    reset_clock_state();
    const int expected[] = {18, 24, 30, 36, 42, 48, 12, 18};
    for (int font : expected) {
        run_command(kNextFamily);
        EXPECT_EQ(giFont, font);
    }
}

TEST(KeyCommands, LayoutCycleAndToggles) {
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

    giChange = 0;
    run_command(kToggleSeconds);
    EXPECT_EQ(giSecs, 1);
    EXPECT_EQ(giChange, 1);
    run_command(kToggleSeconds);
    EXPECT_EQ(giSecs, -1);
    run_command(kToggleView);
    EXPECT_EQ(giKlingon, -1);
    run_command(kToggleView);
    EXPECT_EQ(giKlingon, 1);
    run_command(kQuit);
    EXPECT_EQ(giRun, 0);
}

TEST(KeyCommands, SaveLeavesTheResizeRequestAlone) {
    enter_scratch_dir();
    reset_clock_state();
    giChange = 2;
    run_command(kSaveSettings);
    EXPECT_EQ(giChange, 2);
    EXPECT_EQ(read_file("config.cwk"), "12\n1\n680\n100\n");
    leave_scratch_dir();
}

TEST(KeyCodes, PhysicalKeysOnBothCodeSets) {
    struct {
        int pc;
        KeyCommand command;
    } const keys[] = {
        {1, kQuit},        {16, kQuit},       {12, kSmallerSize},   {74, kSmallerSize},
        {13, kLargerSize}, {78, kLargerSize}, {31, kToggleSeconds}, {33, kNextFamily},
        {34, kNextLayout}, {37, kToggleView}, {46, kSaveSettings},
    };
    for (const auto& key : keys) {
        EXPECT_EQ(command_for_pc_scancode(key.pc), key.command) << key.pc;
        EXPECT_EQ(command_for_x11_keycode(key.pc + 8), key.command) << key.pc + 8;
    }
    // X keycodes that equal a command's PC code belong to other keys: 7, l, 3, 4 do nothing.
    const int innocentX11[] = {16, 46, 12, 13, 1, 31, 0, 255};
    for (int code : innocentX11) {
        EXPECT_EQ(command_for_x11_keycode(code), kNoCommand) << code;
    }
    EXPECT_EQ(command_for_pc_scancode(9), kNoCommand);
    EXPECT_EQ(command_for_pc_scancode(0), kNoCommand);

    // Which set arrives: classic SDL 1.2 (1.2.15) gives X keycodes on x11 only; the compat
    // runtime (1.2.50 and up) gives them on Linux under every driver, Wayland included.
    EXPECT_TRUE(key_codes_are_x11(15, "x11"));
    EXPECT_FALSE(key_codes_are_x11(15, "fbcon"));
    EXPECT_FALSE(key_codes_are_x11(15, "dummy"));
    EXPECT_TRUE(key_codes_are_x11(50, "x11"));
    EXPECT_TRUE(key_codes_are_x11(68, "wayland"));
    EXPECT_TRUE(key_codes_are_x11(60, "dummy"));
    EXPECT_FALSE(key_codes_are_x11(49, "wayland"));
}

TEST(KeyCodes, EveryReleaseIsReportedWithTheCodeItCarries) {
    reset_clock_state();
    begin_capture();
    key_command(200, 1);
    key_command(9, 1); // Esc on X11
    std::string output = end_capture();
    EXPECT_EQ(output, "Key pressed 200 \nKey pressed 9 \n");
    EXPECT_EQ(giRun, 0);
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
