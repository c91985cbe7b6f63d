// The clock under faults in its surroundings: a settings file that cannot be read or saved,
// broken fonts and pictures, and more key events than the event queue holds. Each case runs in
// a private folder with the dummy video driver and draws with run_frame_stages at a fixed time.
#include <gtest/gtest.h>

#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>
#include <stdlib.h>
#include <time.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/clock_state.h"
#include "app/frame_loop.h"
#include "app/window_sizing.h"
#include "render/background.h"
#include "render/font_table.h"
#include "render/numeral_row.h"
#include "settings/settings_file.h"
#include "test_support.h"

namespace {

// Colours of the test pictures: bright green-blue, which the dark red background never has.
Uint32 digit_colour(int digit) {
    return 0x40F000u | (Uint32)(20 * digit);
}
const Uint32 kDotColour = 0x20FFE0u;

// A picture of one colour, as the loader reads it (it goes by content, not by file name).
std::string solid_image(int width, int height, Uint32 rgb) {
    SDL_Surface* picture = solid_picture(width, height, rgb);
    const std::string path = "solid.bmp";
    SDL_SaveBMP(picture, path.c_str());
    SDL_FreeSurface(picture);
    std::string bytes = read_file(path);
    remove(path.c_str());
    return bytes;
}

// graphics/ with 8x8 digit pictures and 4x4 dots in the test colours, for every style.
void write_test_pictures(void) {
    std::filesystem::create_directory("graphics");
    for (int style = 0; style < kPictureStyles; ++style) {
        for (int digit = 0; digit < 10; ++digit) {
            write_file("graphics/" + std::to_string(20 * style + digit) + ".gif",
                       solid_image(8, 8, digit_colour(digit)));
        }
    }
    for (const char* dot : {"circle", "circle2", "circle4"}) {
        write_file(std::string("graphics/") + dot + ".gif", solid_image(4, 4, kDotColour));
    }
}

// The bytes of a family's font file in the runtime folder.
std::string runtime_font(int family) {
    return read_file(std::string(CHRONWICK_RUNTIME_DIR) + "/" + font_file(family));
}

// The runtime folder's Fonts or graphics here: a link, or a copy on Windows, where making a link
// takes rights a user seldom has.
void link_runtime(const std::string& name) {
    const std::string runtime = std::string(CHRONWICK_RUNTIME_DIR) + "/" + name;
#ifdef _WIN32
    std::filesystem::copy(runtime, name, std::filesystem::copy_options::recursive);
#else
    ASSERT_EQ(symlink(runtime.c_str(), name.c_str()), 0);
#endif
}

int pending_events(void) {
    static SDL_Event events[256];
    return SDL_PeepEvents(events, 256, SDL_PEEKEVENT, SDL_ALLEVENTS);
}

// One pass at that time of day; returns what it printed.
std::string frame(int hour, int minute, int second) {
    const struct tm time = clock_reading(hour, minute, second);
    return printed_by([&] { run_frame_stages(&time); });
}

#ifndef _WIN32
// One pass in which no file can grow (as on a full disk); what it printed comes through a pipe,
// which the file size limit does not cover.
std::string frame_with_no_room(const struct tm& time) {
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0) {
        return "no pipe";
    }
    fflush(stdout);
    const int saved_stdout = dup(STDOUT_FILENO);
    dup2(pipe_ends[1], STDOUT_FILENO);
    close(pipe_ends[1]);
    struct rlimit limit;
    getrlimit(RLIMIT_FSIZE, &limit);
    const struct rlimit no_room = {0, limit.rlim_max};
    signal(SIGXFSZ, SIG_IGN); // report the failed write instead of ending the process
    setrlimit(RLIMIT_FSIZE, &no_room);
    run_frame_stages(&time);
    setrlimit(RLIMIT_FSIZE, &limit);
    signal(SIGXFSZ, SIG_DFL);
    fflush(stdout);
    dup2(saved_stdout, STDOUT_FILENO);
    close(saved_stdout);
    std::string output;
    char chunk[256];
    for (ssize_t got; (got = read(pipe_ends[0], chunk, sizeof chunk)) > 0;) {
        output.append(chunk, (size_t)got);
    }
    close(pipe_ends[0]);
    return output;
}
#endif

std::vector<int> reported_keys(const std::string& output) {
    std::vector<int> codes;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        int code = 0;
        if (sscanf(line.c_str(), "Key pressed %d ", &code) == 1) {
            codes.push_back(code);
        }
    }
    return codes;
}

class FaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        putenv((char*)"SDL_VIDEODRIVER=dummy");
        putenv((char*)"SDL_AUDIODRIVER=dummy");
        enter_scratch_dir();
        reset_clock_state();
    }

    void TearDown() override {
        close_font_table();
        const std::pair<SDL_Surface**, size_t> loaded[] = {{numberImages, std::size(numberImages)},
                                                           {dotImages, std::size(dotImages)},
                                                           {backgroundStrips, kStripCount}};
        for (const auto& [surfaces, count] : loaded) {
            for (size_t i = 0; i < count; ++i) {
                SDL_FreeSurface(surfaces[i]);
                surfaces[i] = NULL;
            }
        }
        while (TTF_WasInit()) {
            TTF_Quit();
        }
        SDL_Quit();
        screen = NULL;
        leave_scratch_dir();
    }

    // Starts the clock as main does, in the private folder, and leaves the event queue empty;
    // returns what start-up printed.
    std::string start(void) {
        bool started = false;
        std::string output = printed_by([&] { started = start_clock(); });
        EXPECT_TRUE(started);
        drain_events();
        return output;
    }
};

// Links to the settings file and a file size limit have no counterpart a Windows user meets.
#ifndef _WIN32
// The settings live in a folder that does not exist, so C cannot save: the failure is reported
// and nothing else about the clock or the folder changes.
TEST_F(FaultTest, SaveIntoAMissingFolderReportsAndChangesNothing) {
    ASSERT_EQ(symlink("missing/config.cwk", "config.cwk"), 0);
    link_runtime("Fonts");
    write_test_pictures();
    EXPECT_EQ(start(), "fopen failed on config\n");
    EXPECT_EQ(printed_by(load_fonts_and_pictures), "");
    const std::set<std::string> before = folder_entries(".");
    auto settings = [] {
        return std::vector<int>{giFont, giGraphics, giX, giY, giSecs, giKlingon};
    };
    const std::vector<int> before_settings = settings();

    ASSERT_EQ(push_key_release(46), 0); // C
    EXPECT_EQ(frame(14, 30, 45), key_report(46) + "fopen failed on config\n");

    EXPECT_EQ(folder_entries("."), before);
    char target[64] = "";
    ASSERT_GT(readlink("config.cwk", target, sizeof target - 1), 0);
    EXPECT_STREQ(target, "missing/config.cwk");
    EXPECT_EQ(settings(), before_settings);
    EXPECT_EQ(giChange, 0);
    EXPECT_EQ(giRun, 1);
    EXPECT_EQ(screen->w, before_settings[2]);
    EXPECT_EQ(screen->h, before_settings[3]);
}

// A save fails while it writes (the file size limit is 0, as on a full disk): the settings file
// keeps every byte, directly and through a link, and no new file is left beside it.
TEST_F(FaultTest, FailedSaveLeavesTheOldFileByteForByte) {
    const std::string old = "30\n2\n800\n140\n# kept as written\n";
    mkdir("real", 0755);
    for (const std::string settings : {"config.cwk", "real/linked.cwk"}) {
        SCOPED_TRACE(settings);
        write_file(settings, old);
        if (settings != "config.cwk") {
            remove("config.cwk");
            ASSERT_EQ(symlink(settings.c_str(), "config.cwk"), 0);
        }
        reset_clock_state();
        EXPECT_EQ(start(), "");
        EXPECT_EQ(giFont, 30);
        const std::set<std::string> here = folder_entries("."), there = folder_entries("real");

        // Change every saved value, then save.
        giFont = 7;
        giGraphics = 3;
        giX = 500;
        giY = 90;
        ASSERT_EQ(push_key_release(46), 0); // C
        EXPECT_EQ(count_lines(frame_with_no_room(clock_reading(1, 2, 3)), "fopen failed on config"),
                  1);

        EXPECT_EQ(read_file(settings), old);
        EXPECT_EQ(folder_entries("."), here);
        EXPECT_EQ(folder_entries("real"), there);
        SDL_Quit();
    }
    char target[64] = "";
    ASSERT_GT(readlink("config.cwk", target, sizeof target - 1), 0);
    EXPECT_STREQ(target, "real/linked.cwk");
}
#endif

// Saving over a folder named config.cwk fails without touching the folder or leaving a
// temporary file behind.
TEST_F(FaultTest, SaveOverASettingsFolderLeavesItAlone) {
    ASSERT_TRUE(std::filesystem::create_directory("config.cwk"));
    write_file("config.cwk/notes", "mine");
    giFont = 20;
    EXPECT_EQ(printed_by([&] { save_settings_with_size(giX, giY); }), "fopen failed on config\n");
    EXPECT_EQ(folder_entries("config.cwk"), std::set<std::string>{"notes"});
    EXPECT_EQ(read_file("config.cwk/notes"), "mine");
    EXPECT_EQ(folder_entries("."), std::set<std::string>{"config.cwk"});
}

// Every font file is empty or cut off inside its table directory: no entry opens, each says so,
// and the clock still draws its numeral row, fits its window and shows the legend.
TEST_F(FaultTest, NoFontOpensYetEveryViewIsDrawn) {
    std::filesystem::create_directory("Fonts");
    for (int family = 0; family < kFontFamilies; ++family) {
        const std::string real = runtime_font(family);
        ASSERT_GT(real.size(), 64u);
        write_file(font_file(family), family % 2 ? real.substr(0, 64) : "");
    }
    write_test_pictures();
    start();
    const std::string loadOutput = printed_by(load_resources);
    EXPECT_EQ(count_lines(loadOutput, "failed load "), kFontCount);
    EXPECT_EQ(loadOutput.size(), kFontCount * std::string("failed load \n").size());

    // Every frame reports the words it could not draw. With no text the row hangs from the top:
    // layout 1 puts the digits at y = 40 - 30.
    EXPECT_EQ(frame(12, 34, 56), "failed to render font \n");
    EXPECT_EQ(frame(12, 34, 56), "failed to render font \n");
    EXPECT_EQ(rgb_at(screen, 4, 14), digit_colour(1));
    EXPECT_EQ(rgb_at(screen, 105, 15), kDotColour);

    // A fit with nothing to measure (0 x 0) is the layout's least width and extra height: S fits
    // layout 1, then G steps through layouts 2 and 3.
    const struct { int key, width, height; } fits[] = {{31, 420, 70}, {34, 150, 37}, {34, 70, 20}};
    for (const auto& fit : fits) {
        drain_events();
        ASSERT_EQ(push_key_release(fit.key), 0);
        frame(12, 34, 56);
        EXPECT_EQ(screen->w, fit.width);
        EXPECT_EQ(screen->h, fit.height);
    }

    // The legend draws its pictures without labels. (A runtime that opened a new window for a fit
    // queued its focus events; each would take a pass.)
    drain_events();
    ASSERT_EQ(push_key_release(37), 0); // K
    EXPECT_EQ(frame(12, 34, 56), key_report(37));
    EXPECT_EQ(screen->w, 500);
    EXPECT_EQ(screen->h, 110);
    for (int digit = 0; digit < 10; ++digit) {
        EXPECT_EQ(rgb_at(screen, 50 * digit + 4, 4), digit_colour(digit)) << "digit " << digit;
    }
}

// Fonts cut off late enough that they still open: each frame renders or reports, never crashes.
TEST_F(FaultTest, FontsCutShortAfterTheirTablesDrawOrReport) {
    std::filesystem::create_directory("Fonts");
    for (int family = 0; family < kFontFamilies; ++family) {
        const std::string real = runtime_font(family);
        write_file(font_file(family), real.substr(0, real.size() * 9 / 10));
    }
    start();
    printed_by(open_font_table);
    for (giFont = 0; giFont < kFontCount; giFont += 5) {
        const std::string output = frame(18, 58, 58);
        EXPECT_TRUE(output.empty() || output == "failed to render font \n") << output;
    }
}

// Pictures that are not pictures (text, or one cut off in its pixel data) load as absent or as
// whatever part could be read; the row leaves out the absent ones and draws the rest.
TEST_F(FaultTest, PicturesThatAreNotGifsAreLeftOut) {
    link_runtime("Fonts");
    write_test_pictures();
    write_file("graphics/3.gif", "this is not a picture\n");
    const std::string cut = solid_image(8, 8, digit_colour(5));
    write_file("graphics/5.gif", cut.substr(0, cut.size() / 2));
    write_file("graphics/circle.gif", std::string("GIF89a\x08\x00\x08\x00", 10));
    start();
    printed_by(load_fonts_and_pictures);
    EXPECT_EQ(numberImages[3], nullptr);
    EXPECT_EQ(dotImages[0], nullptr);
    ASSERT_NE(numberImages[4], nullptr);

    // 13:35:33 needs both broken digits and the broken dot.
    EXPECT_EQ(frame(13, 35, 33), "");
    const int textHeight = TTF_FontHeight(current_font());
    const int digitY = textHeight + 10 + 4;
    EXPECT_EQ(rgb_at(screen, 0 + 4, digitY), digit_colour(1));
    EXPECT_NE(rgb_at(screen, 40 + 4, digitY), digit_colour(3));
    EXPECT_NE(rgb_at(screen, 104 + 1, textHeight + 14 + 1), kDotColour);

    // The legend leaves the same gap.
    drain_events();
    ASSERT_EQ(push_key_release(37), 0); // K
    frame(13, 35, 33);
    EXPECT_EQ(rgb_at(screen, 50 * 4 + 4, 4), digit_colour(4));
    EXPECT_NE(rgb_at(screen, 50 * 3 + 4, 4), digit_colour(3));
}

// More key releases than the queue holds (127 in SDL 1.2) arrive at once: each pass works off
// exactly one, and every release the queue accepted is reported, in order.
TEST_F(FaultTest, KeyBurstIsWorkedOffOnePerPass) {
    start();
    std::vector<int> pushed, accepted;
    for (int i = 0; i < 200; ++i) {
        const int scancode = 100 + i % 100; // keys with no command
        pushed.push_back(runtime_key_code(scancode));
        if (push_key_release(scancode) == 0) {
            accepted.push_back(runtime_key_code(scancode));
        }
    }
    // A full queue refuses what comes after it: the accepted releases are the first ones.
    ASSERT_GT(accepted.size(), 1u);
    EXPECT_TRUE(std::equal(accepted.begin(), accepted.end(), pushed.begin()));

    std::string output;
    for (size_t pass = 1; pass <= accepted.size(); ++pass) {
        output += frame(7, 8, 9);
        ASSERT_EQ(pending_events(), (int)(accepted.size() - pass)) << "after pass " << pass;
    }
    output += frame(7, 8, 9);
    EXPECT_EQ(reported_keys(output), accepted);
    EXPECT_EQ(giRun, 1);
}

} // namespace
