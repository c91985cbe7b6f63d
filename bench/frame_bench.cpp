// One pass of the frame loop under the dummy video driver, whole and stage by stage, at the
// default window size and at a large one. Each is run with the strips the clock prepares at
// start-up (converted to the window's format, copied per frame) and with the strips as first
// generated (RGBA, blended pixel by pixel every frame), the comparison the budget is set against.
#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>
#include <benchmark/benchmark.h>
#include <string.h>
#include <time.h>

#include <string>

#include "app/clock_state.h"
#include "app/frame_loop.h"
#include "app/window_sizing.h"
#include "bench_setup.h"
#include "klingon/klingon_time.h"
#include "render/background.h"
#include "render/font_table.h"
#include "render/legend.h"
#include "render/numeral_row.h"

enum StripKind { kPreparedStrips, kBlendedStrips };

struct FrameCase {
    int width;
    int height;
    StripKind strips;
};

static SDL_Surface* gPreparedStrips[kStripCount];
static SDL_Surface* gBlendedStrips[kStripCount];

// Puts the window at the case's size and the case's strips behind it, in the given view.
static bool enter_case(const FrameCase& frame, int view, benchmark::State& state) {
    giKlingon = view;
    giChange = 0;
    if (screen == NULL || screen->w != frame.width || screen->h != frame.height) {
        giX = frame.width;
        giY = frame.height;
        if (!open_window()) {
            state.SkipWithError("no window at this size");
            return false;
        }
    }
    memcpy(backgroundStrips, frame.strips == kPreparedStrips ? gPreparedStrips : gBlendedStrips,
           sizeof backgroundStrips);
    return true;
}

// The words and the time every timed pass draws: 18:58:58 gives the longest words and two-digit
// fields throughout.
static char gText[kTimeTextSize];
static struct tm gClock;

// Times `draw` with the case's window and strips, in the given view (1 the clock, -1 the legend).
static void timed(benchmark::State& state, FrameCase frame, int view, void (*draw)(void)) {
    if (!enter_case(frame, view, state)) {
        return;
    }
    for (auto _ : state) {
        draw();
    }
}

// The floor under the background stage: the same rows copied with plain memcpy from one strip,
// tiled down the window, with nothing of SDL's blitting around it.
static void copy_floor(benchmark::State& state, FrameCase frame) {
    if (!enter_case(frame, 1, state)) {
        return;
    }
    const int width = screen->w < kStripWidth ? screen->w : kStripWidth;
    int next = 0;
    for (auto _ : state) {
        SDL_Surface* strip = backgroundStrips[next];
        next = (next + 1) % kStripCount;
        SDL_LockSurface(screen);
        for (int y = 0; y < screen->h; ++y) {
            memcpy((Uint8*)screen->pixels + y * screen->pitch,
                   (const Uint8*)strip->pixels + (y % kStripHeight) * strip->pitch,
                   (size_t)width * 4);
        }
        SDL_UnlockSurface(screen);
        benchmark::ClobberMemory();
    }
}

// The case's name, WHAT/WIDTHxHEIGHT, and the strips where the case draws them.
static std::string case_name(const char* what, const FrameCase& frame, bool withStrips) {
    std::string name =
        std::string(what) + "/" + std::to_string(frame.width) + "x" + std::to_string(frame.height);
    if (withStrips) {
        name += frame.strips == kPreparedStrips ? "/prepared" : "/blended";
    }
    return name;
}

static void add(const char* what, const FrameCase& frame, bool withStrips, int view,
                void (*draw)(void)) {
    benchmark::RegisterBenchmark(case_name(what, frame, withStrips).c_str(), timed, frame, view,
                                 draw);
}

static void register_cases(void) {
    static const int kSizes[2][2] = {{kDefaultWidth, kDefaultHeight}, {1300, 1000}};
    for (const auto& size : kSizes) {
        for (StripKind strips : {kPreparedStrips, kBlendedStrips}) {
            const FrameCase frame = {size[0], size[1], strips};
            add("pass/clock", frame, true, 1, [] { run_frame_stages(&gClock); });
            add("pass/legend", frame, true, -1, [] { run_frame_stages(&gClock); });
            add("stage/background", frame, true, 1, paint_background);
            add("stage/legend", frame, true, -1, draw_legend);
        }
        // These stages draw no strip. Under the dummy driver presenting costs next to nothing;
        // what it costs on X11 (the shared-memory image copy and the X server's work) shows in
        // bench/process.sh.
        const FrameCase frame = {size[0], size[1], kPreparedStrips};
        benchmark::RegisterBenchmark(case_name("floor/copy", frame, false).c_str(), copy_floor,
                                     frame);
        add("stage/text_line", frame, false, 1, [] { draw_text_line(gText); });
        add("stage/numeral_row", frame, false, 1, [] { draw_clock_row(gText, 18, 58, 58); });
        add("stage/update", frame, false, 1, [] { SDL_UpdateRect(screen, 0, 0, giX, giY); });
    }
}

int main(int argc, char** argv) {
    if (!start_benchmark_process()) {
        return 1;
    }
    load_resources();
    memcpy(gPreparedStrips, backgroundStrips, sizeof gPreparedStrips);
    for (int i = 0; i < kStripCount; ++i) {
        gBlendedStrips[i] = create_strip_surface();
        fill_strip(gBlendedStrips[i]);
    }

    gClock.tm_hour = 18;
    gClock.tm_min = gClock.tm_sec = 58;
    gClock.tm_mday = 1;
    gClock.tm_year = 106;
    fConvTime(18, 58, 58, giSecs, gText);
    register_cases();
    return run_benchmarks(argc, argv);
}
