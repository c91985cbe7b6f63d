#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <set>
#include <string>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "app/clock_state.h"
#include "settings/settings_file.h"
#include "test_support.h"

// Reads a settings file of the given content in a scratch folder; returns what was printed.
static std::string read_from(const std::string& content) {
    enter_scratch_dir();
    write_file("config.cwk", content);
    reset_clock_state();
    std::string output = printed_by(read_settings);
    leave_scratch_dir();
    return output;
}

static void expect_state(int font, int layout, int width, int height) {
    EXPECT_EQ(giFont, font);
    EXPECT_EQ(giGraphics, layout);
    EXPECT_EQ(giX, width);
    EXPECT_EQ(giY, height);
}

TEST(SettingsValue, ConvertsLikeAtoiAndClamps) {
    EXPECT_EQ(settings_value("  42\n"), 42);
    EXPECT_EQ(settings_value("7abc\n"), 7);
    EXPECT_EQ(settings_value("letters\n"), 0);
    EXPECT_EQ(settings_value("-5\n"), -5);
    EXPECT_EQ(settings_value("+9\r\n"), 9);
    EXPECT_EQ(settings_value("\n"), 0);
    EXPECT_EQ(settings_value("2147483647\n"), INT_MAX);
    EXPECT_EQ(settings_value("-2147483648\n"), INT_MIN);
    EXPECT_EQ(settings_value("2147483648\n"), INT_MAX);
    EXPECT_EQ(settings_value("-99999999999999999999999\n"), INT_MIN);
}

// No file, or a folder of that name, cannot be read: the failure is reported and the defaults
// stay.
TEST(SettingsRead, MissingFileOrFolderKeepsDefaultsAndSaysSo) {
    for (bool folder : {false, true}) {
        enter_scratch_dir();
        if (folder) {
            ASSERT_TRUE(std::filesystem::create_directory("config.cwk"));
        }
        reset_clock_state();
        EXPECT_EQ(printed_by(read_settings), "fopen failed on config\n") << folder;
        leave_scratch_dir();
        expect_state(12, 1, 680, 100);
    }
}

// Four lines in order (font, layout, width, height), read as atoi reads them; a missing line
// keeps its default, and so does a window side of 0 or below or of 16384 or more.
TEST(SettingsRead, FourLinesEachWithItsDefault) {
    EXPECT_EQ(read_from("  42\n2\n800\n600\n"), "");
    expect_state(42, 2, 800, 600);
    const struct {
        std::string content;
        int font, layout, width, height;
    } cases[] = {
        {"-5\n5\r\n300\r\n90\r\n", -5, 5, 300, 90}, // CR LF, out-of-range font and layout
        {"30\n3\n", 30, 3, 680, 100},
        {"", 12, 1, 680, 100},
        {"18", 18, 1, 680, 100},
        // 254 characters fit one read; the 255th character starts the next value.
        {std::string(253, ' ') + "7" + "25\n3\n700\n", 7, 25, 3, 700},
        {"12\n1\n0\n-4\n", 12, 1, 680, 100},
        {"12\n1\n16384\n99999999999999\n", 12, 1, 680, 100},
        {"12\n1\n16383\n1\n", 12, 1, 16383, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.content));
        read_from(c.content);
        expect_state(c.font, c.layout, c.width, c.height);
    }
}

TEST(SettingsSave, RoundTripsAndReplacesTheOldFile) {
    enter_scratch_dir();
    write_file("config.cwk", "old content that is longer than the new\n");
    reset_clock_state();
    giFont = 53;
    giGraphics = 3;
    EXPECT_EQ(printed_by([&] { save_settings_with_size(1234, 77); }), "");
    EXPECT_EQ(read_file("config.cwk"), text_file("53\n3\n1234\n77\n"));
    reset_clock_state();
    read_settings();
    expect_state(53, 3, 1234, 77);
    EXPECT_EQ(folder_entries("."), std::set<std::string>{"config.cwk"});

    giFont = INT_MIN;
    giGraphics = INT_MAX;
    save_settings_with_size(giX, giY);
    EXPECT_EQ(read_file("config.cwk"), text_file("-2147483648\n2147483647\n1234\n77\n"));
    leave_scratch_dir();
}

// Links and modes are POSIX matters; the Windows replacement is checked by the window scenarios.
#ifndef _WIN32
// Links and files already at names a new file could take are neither followed nor replaced, and
// the new file is as readable as the umask allows, like any file the user makes.
TEST(SettingsSave, NamesTakenBesideTheFileAreLeftAlone) {
    enter_scratch_dir();
    write_file("precious", "precious\n");
    write_file("config.cwk", "18\n2\n500\n90\n");
    const char* const links[] = {"config.cwk.new", "config.cwk.tmp", "config.cwk.XXXXXX"};
    for (const char* name : links) {
        ASSERT_EQ(symlink("precious", name), 0);
    }
    ASSERT_EQ(symlink("made-through-a-link", "config.cwk~"), 0);
    write_file("config.cwk.old", "stale\n");
    const std::set<std::string> before = folder_entries(".");
    reset_clock_state();
    const mode_t umask_before = umask(027);
    EXPECT_EQ(printed_by([&] { save_settings_with_size(giX, giY); }), "");
    umask(umask_before);
    EXPECT_EQ(read_file("config.cwk"), text_file("12\n1\n680\n100\n"));
    EXPECT_EQ(read_file("precious"), "precious\n");
    EXPECT_EQ(read_file("config.cwk.old"), "stale\n");
    EXPECT_EQ(folder_entries("."), before);
    struct stat info;
    ASSERT_EQ(lstat("config.cwk", &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    leave_scratch_dir();
}

TEST(SettingsSave, ThroughALinkKeepsTheLink) {
    enter_scratch_dir();
    mkdir("store", 0755);
    write_file("store/clock.cfg", "1\n1\n1\n1\n");
    ASSERT_EQ(symlink("store/clock.cfg", "config.cwk"), 0);
    reset_clock_state();
    save_settings_with_size(giX, giY);
    struct stat info;
    ASSERT_EQ(lstat("config.cwk", &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(read_file("store/clock.cfg"), text_file("12\n1\n680\n100\n"));

    leave_scratch_dir();
}
#endif
