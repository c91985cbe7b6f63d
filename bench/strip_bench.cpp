// Start-up costs: making the 20 background strips, against bare loops of the same number of
// random draws, and opening the 54-entry font table.
#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "app/clock_state.h"
#include "bench_setup.h"
#include "render/background.h"
#include "render/draw_random.h"
#include "render/font_table.h"

// Three draws a pixel (red, green, blue) over every strip: 15.6 million.
static const long kStripDraws = 3L * kStripCount * kStripWidth * kStripHeight;

// The floor under strip generation: the draws alone, through the C library's locked rand() or
// the clock's own copy of the generator.
template <int (*draw)(void)> static void draws_floor(benchmark::State& state) {
    for (auto _ : state) {
        unsigned sum = 0;
        for (long i = 0; i < kStripDraws; ++i) {
            sum += (unsigned)draw();
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kStripDraws);
}

// The strips as first generated: 32-bit RGBA surfaces filled pixel by pixel.
static void fill_strips(benchmark::State& state) {
    SDL_Surface* strips[kStripCount];
    for (auto _ : state) {
        for (int i = 0; i < kStripCount; ++i) {
            strips[i] = create_strip_surface();
            fill_strip(strips[i]);
        }
        benchmark::DoNotOptimize(strips);
        for (int i = 0; i < kStripCount; ++i) {
            SDL_FreeSurface(strips[i]);
        }
    }
    state.SetItemsProcessed(state.iterations() * kStripDraws);
}

static void free_background_strips(void) {
    for (int i = 0; i < kStripCount; ++i) {
        SDL_FreeSurface(backgroundStrips[i]);
        backgroundStrips[i] = NULL;
    }
}

// Resident memory taken by one font table and by the strips, measured once at start-up, while
// freed memory cannot yet be handed out again and hide the growth.
static double gFontTableMiB = 0;
static double gStripMiB = 0;

// A label rather than a counter, so that the CSV output keeps one set of columns whichever
// benchmarks a filter picks.
static std::string resident_label(double mebibytes) {
    char label[32];
    snprintf(label, sizeof label, "rss_MiB=%.2f", mebibytes);
    return label;
}

// What the clock runs at start-up: generation plus the conversion to the window's format.
static void generate_background_strips(benchmark::State& state) {
    for (auto _ : state) {
        generate_strips();
        free_background_strips();
    }
    state.SetItemsProcessed(state.iterations() * kStripDraws);
    state.SetLabel(resident_label(gStripMiB));
}

static void open_fonts(benchmark::State& state) {
    for (auto _ : state) {
        open_font_table();
        state.PauseTiming();
        close_font_table();
        state.ResumeTiming();
    }
    state.SetLabel(resident_label(gFontTableMiB));
}

static void measure_resident_growth(void) {
    const long start = resident_kilobytes();
    open_font_table();
    const long withFonts = resident_kilobytes();
    generate_strips();
    const long withStrips = resident_kilobytes();
    gFontTableMiB = (double)(withFonts - start) / 1024.0;
    gStripMiB = (double)(withStrips - withFonts) / 1024.0;
    free_background_strips();
    close_font_table();
}

int main(int argc, char** argv) {
    if (!start_benchmark_process()) {
        return 1;
    }
    measure_resident_growth();
    const std::pair<const char*, void (*)(benchmark::State&)> benchmarks[] = {
        {"fonts/open_table", open_fonts},
        {"strips/rand_floor", draws_floor<rand>},
        {"strips/draw_random_floor", draws_floor<draw_random>},
        {"strips/fill", fill_strips},
        {"strips/generate", generate_background_strips},
    };
    for (const auto& [name, function] : benchmarks) {
        benchmark::RegisterBenchmark(name, function)->Unit(benchmark::kMillisecond);
    }

    return run_benchmarks(argc, argv);
}
