#include <gtest/gtest.h>

#include <SDL/SDL_ttf.h>
#include <string>

#include "app/clock_state.h"
#include "app/frame_loop.h"
#include "app/window_reopen.h"
#include "app/window_sizing.h"
#include "klingon/klingon_time.h"
#include "render/font_table.h"
#include "test_support.h"

static const char kProbe[] = "cha'maH chorghvatlh vaghmaH chorgh rep ";
static const char kProbeSeconds[] = "vaghmaH chorgh lup";

class Sizing : public ::testing::Test {
  protected:
    void SetUp() override {
        reset_clock_state();
        open_dummy_window();
        load_runtime_resources();
    }
    // One pass at a fixed time. Each event is queued alone before its pass: a runtime that opens
    // a new window for another size queues that window's focus events.
    void pass(void) {
        const struct tm now = clock_reading(18, 58, 0);
        run_frame_stages(&now);
    }
    void key_pass(int pcScancode) {
        drain_events();
        push_key_release(pcScancode);
        pass();
    }
    // A hand resize is applied in its own pass, or, where the runtime replaces the window to
    // resize it, once no other has come for a while; until then the window keeps its size.
    void hand_resize(int width, int height, bool wait = true) {
        const int oldWidth = screen->w, oldHeight = screen->h;
        drain_events();
        push_resize(width, height);
        pass();
        if (wait && window_reopens_to_resize()) {
            expect_window(oldWidth, oldHeight);
            SDL_Delay(kHandResizeQuietMs);
            pass();
        }
    }
    // The fitted size, measured here straight from the font file.
    void expect_fit(int font, bool seconds, int extra, int minimum) {
        TTF_Font* face = TTF_OpenFont(font_file(font / 6), font_point_size(font % 6));
        ASSERT_NE(face, nullptr);
        std::string probe = std::string(kProbe) + (seconds ? kProbeSeconds : "");
        int w = 0, h = 0;
        TTF_SizeText(face, probe.c_str(), &w, &h);
        TTF_CloseFont(face);
        expect_window(std::max(w + 20, minimum), extra + h);
    }
    void expect_window(int width, int height) {
        EXPECT_EQ(giX, width);
        EXPECT_EQ(giY, height);
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(screen->w, width);
        EXPECT_EQ(screen->h, height);
    }
};

TEST_F(Sizing, FitFollowsLayoutSecondsAndFont) {
    const struct {
        int layout, extra, minimum;
    } rows[] = {{1, 70, 420}, {2, 37, 150}, {3, 20, 70}, {5, 90, 420}};
    const int fonts[] = {0, 12, 29, 53};
    for (const auto& row : rows) {
        for (int font : fonts) {
            for (int secs = -1; secs <= 1; secs += 2) {
                giGraphics = row.layout;
                giFont = font;
                giSecs = secs;
                giChange = 1;
                pass();
                SCOPED_TRACE(testing::Message()
                             << "layout " << row.layout << " font " << font << " seconds " << secs);
                expect_fit(font, secs > 0, row.extra, row.minimum);
                EXPECT_EQ(giChange, 0);
            }
        }
    }
}

TEST_F(Sizing, LegendFitsFixedAndHandResizeIsAppliedUntilTheNextFit) {
    key_pass(37); // K
    expect_window(500, 110);

    hand_resize(800, 600);
    expect_window(800, 600);

    key_pass(37); // back to the clock view: fitted again
    expect_fit(12, false, 70, 420);

    hand_resize(800, 600);
    expect_window(800, 600);
    pass(); // the hand-made size stays on the passes after it
    expect_window(800, 600);
    key_pass(12); // smaller size at the family's edge: no refit
    expect_window(800, 600);
    key_pass(31); // S: refit with the seconds
    expect_fit(12, true, 70, 420);
}

// The probe is at least as wide as every real phrase, so a fitted window shows them whole.
TEST(Probe, FittedWidthHoldsEveryRealPhrase) {
    TTF_Init();
    const int fonts[] = {12, 23, 29, 41, 47, 53};
    char phrase[kTimeTextSize];
    for (int font : fonts) {
        TTF_Font* face = TTF_OpenFont(font_file(font / 6), font_point_size(font % 6));
        ASSERT_NE(face, nullptr);
        for (int secs = -1; secs <= 1; secs += 2) {
            fConvTime(58, 58, 58, secs, phrase);
            int probeWidth = 0, widest = 0, h = 0;
            TTF_SizeText(face, phrase, &probeWidth, &h);
            // Every reading; with the seconds hidden the phrase does not depend on them.
            const int seconds = secs > 0 ? 60 : 1;
            for (int t = 0; t < 24 * 60 * seconds; ++t) {
                const int hour = t / (60 * seconds), minute = t / seconds % 60;
                fConvTime(hour, minute, t % seconds, secs, phrase);
                int w = 0;
                TTF_SizeText(face, phrase, &w, &h);
                widest = std::max(widest, w);
            }
            EXPECT_LE(widest, probeWidth + 20) << "font " << font << " seconds " << secs;
        }
        TTF_CloseFont(face);
    }
}

// A size no window can have goes back to the size the window had.
TEST_F(Sizing, FailedModeChangeKeepsThePreviousWindow) {
    hand_resize(640, 200);
    expect_window(640, 200);
    hand_resize(-5, -5);
    expect_window(640, 200);
}

// C right after a hand resize saves the size the user chose, also while the runtime holds the
// resize back for the drag to end.
TEST_F(Sizing, SaveRightAfterAHandResizeStoresTheNewSize) {
    key_pass(37); // K: the legend, 500 x 110
    hand_resize(640, 220, false);
    enter_scratch_dir();
    key_pass(46); // C
    EXPECT_EQ(read_file("config.cwk"), text_file("12\n1\n640\n220\n"));
    leave_scratch_dir();
}
