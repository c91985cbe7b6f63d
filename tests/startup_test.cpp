#include <gtest/gtest.h>

#include <SDL/SDL_ttf.h>
#include <algorithm>
#include <filesystem>
#include <stdlib.h>
#include <string>
#include <vector>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "app/caption.h"
#include "app/clock_state.h"
#include "app/frame_loop.h"
#include "render/font_table.h"
#include "test_support.h"

// run, seconds, view, font, layout, scale, picture style, resize request, width, height
static std::vector<int> clock_state_now(void) {
    return {giRun, giSecs, giKlingon, giFont, giGraphics, giGM, giKSize, giChange, giX, giY};
}

// The clock's state as the program loads, read before any test resets it.
static const std::vector<int> kStateAtLoad = clock_state_now();

// The clock starts from these when no settings file is read, and a reset goes back to them.
TEST(Startup, BeginsFromTheDefaults) {
    const std::vector<int> defaults = {1, -1, 1, 12, 1, 3, 0, 0, 680, 100};
    EXPECT_EQ(kStateAtLoad, defaults);
    giFont = 40;
    giKSize = 2;
    giChange = 2;
    reset_clock_state();
    EXPECT_EQ(clock_state_now(), defaults);
}

static const char kNormalCaption[] = "Chronwick a Klingon Clock - Quillmark 2006";

TEST(Caption, GreetingOnlyOnTheNineteenthOfAugust) {
    EXPECT_STREQ(caption_for_date(19, 7), "QA TLHO' From Quillmark");
    EXPECT_STREQ(caption_for_date(18, 7), kNormalCaption);
    EXPECT_STREQ(caption_for_date(20, 7), kNormalCaption);
    EXPECT_STREQ(caption_for_date(19, 6), kNormalCaption);
    EXPECT_STREQ(caption_for_date(19, 8), kNormalCaption);
}

// Opens the font table in a scratch folder holding the runtime fonts less the missing ones, and
// returns the number of failure lines it printed; gOpened says which entries opened. The fonts
// are closed again, as Windows removes no file that is open.
static std::vector<bool> gOpened;
static int failed_loads_without(const std::vector<std::string>& missing) {
    enter_scratch_dir();
    std::filesystem::copy(CHRONWICK_RUNTIME_DIR "/Fonts", "Fonts");
    for (const std::string& name : missing) {
        std::filesystem::remove("Fonts/" + name);
    }
    TTF_Init();
    close_font_table();
    begin_capture();
    open_font_table();
    std::string output = end_capture();
    gOpened.clear();
    for (TTF_Font* font : fontTable) {
        gOpened.push_back(font != NULL);
    }
    close_font_table();
    leave_scratch_dir();
    EXPECT_EQ(output.find_first_not_of("failed load \n"), std::string::npos) << output;
    return count_lines(output, "failed load ");
}

TEST(FontTable, ReportsEachEntryThatFailedToOpen) {
    EXPECT_EQ(failed_loads_without({}), 0);
    EXPECT_EQ(failed_loads_without({"levity.ttf"}), 6);
    for (int index = 0; index < kFontCount; ++index) {
        EXPECT_EQ(!gOpened[index], index >= 36 && index <= 41) << index;
    }
    EXPECT_EQ(failed_loads_without({"tomnr.ttf"}), 18);
    EXPECT_EQ(failed_loads_without({"KLS_____.ttf", "KLINGON.ttf"}), 12);
}

// Each entry is its family's file at its step's size: it measures a text exactly as that file
// opened here at that size does.
TEST(FontTable, EntriesUseTheirFamilyFileAndStepSize) {
    static const char* const families[9] = {"tomnr.ttf",    "tomnr.ttf",   "KLS_____.ttf",
                                            "KLB_____.ttf", "bboron.ttf",  "geodesic.ttf",
                                            "levity.ttf",   "KLINGON.ttf", "tomnr.ttf"};
    static const int points[6] = {18, 21, 24, 27, 30, 33};
    TTF_Init();
    begin_capture();
    open_font_table();
    end_capture();
    const char sample[] = "cha'maH chorghvatlh 0123456789";
    for (int index = 0; index < kFontCount; ++index) {
        SCOPED_TRACE(index);
        const std::string file = std::string(CHRONWICK_RUNTIME_DIR "/Fonts/") + families[index / 6];
        TTF_Font* expected = TTF_OpenFont(file.c_str(), points[index % 6]);
        ASSERT_NE(expected, nullptr);
        ASSERT_NE(fontTable[index], nullptr);
        int w = 0, h = 0, expectedW = 0, expectedH = 0;
        TTF_SizeText(fontTable[index], sample, &w, &h);
        TTF_SizeText(expected, sample, &expectedW, &expectedH);
        EXPECT_EQ(w, expectedW);
        EXPECT_EQ(h, expectedH);
        EXPECT_STREQ(TTF_FontFaceFamilyName(fontTable[index]), TTF_FontFaceFamilyName(expected));
        EXPECT_STREQ(TTF_FontFaceStyleName(fontTable[index]), TTF_FontFaceStyleName(expected));
        TTF_CloseFont(expected);
    }
}

// A pass takes its event first (here a quit request), brings a stored font index into range
// (77 is entry 23 again: the heavy face at its largest, which covers whole pixels on every
// release) and still draws the whole view in that font.
TEST(FrameLoop, PassActsOnItsEventWrapsTheFontAndDraws) {
    reset_clock_state();
    open_dummy_window();
    load_runtime_resources();
    SDL_FillRect(screen, NULL, 0);
    SDL_Event quit;
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    giFont = 77;
    struct tm noon = {};
    noon.tm_hour = 12;
    begin_capture();
    run_frame_stages(&noon);
    EXPECT_EQ(end_capture(), "");
    EXPECT_EQ(giRun, 0);
    EXPECT_EQ(giFont, 23);
    // The text line was drawn after the quit: pixels the words cover fully are their cream,
    // 255 240 200, at the top left.
    int cream = 0;
    Uint32 brightest = 0;
    for (int x = 0; x < 200; ++x) {
        for (int y = 0; y < 30; ++y) {
            const Uint32 rgb = rgb_at(screen, x, y);
            cream += rgb == 0xFFF0C8;
            brightest = std::max(brightest, rgb);
        }
    }
    EXPECT_GT(cream, 20) << std::hex << "brightest pixel " << brightest;
}

// A Windows desktop always has a display, and its process has no thread list to read.
#ifndef _WIN32
// Without a display, the clock says so in one line and exits with a failure status instead of
// drawing into nothing.
TEST(Startup, NoDisplayExitsWithOneLine) {
    enter_scratch_dir();
    std::string command =
        "env -u DISPLAY SDL_VIDEODRIVER=x11 " CHRONWICK_BINARY " > out.txt 2>/dev/null";
    int status = system(command.c_str());
    std::string output = read_file("out.txt");
    leave_scratch_dir();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(output.rfind("fopen failed on config\nCannot open a 680 x 100 window: ", 0), 0u)
        << output;
    EXPECT_EQ(count_lines(output, ""), 0);
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 2);
}

// Once started, the clock runs on its one thread: the subsystems it never uses are released,
// SDL's timer thread with them, which woke the process every millisecond. The count is of the
// threads the start added, as an emulator (qemu-user) has a thread of its own in the process.
TEST(Startup, RunsOnOneThread) {
    // The compat runtime (SDL 1.2 on SDL 2, patch level 50 and up) may keep threads of its own.
    if (SDL_Linked_Version()->patch >= 50) {
        GTEST_SKIP() << "threads of the compat runtime are not the clock's";
    }
    reset_clock_state();
    const auto threads_before = folder_entries("/proc/self/task").size();
    enter_scratch_dir();
    begin_capture();
    EXPECT_TRUE(start_clock());
    end_capture();
    leave_scratch_dir();
    EXPECT_EQ(folder_entries("/proc/self/task").size(), threads_before);
}
#endif
