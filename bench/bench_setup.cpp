#include "bench_setup.h"

#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include "app/clock_state.h"
#include "app/window_sizing.h"
#include "render/font_table.h"

bool start_benchmark_process(void) {
    // Without a display SDL 1.2 would fall back to its text driver, which writes to stdout.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (access(font_file(0), R_OK) != 0) {
        fprintf(stderr,
                "%s is not readable: run the benchmarks in the build's runtime folder "
                "(bench/run.sh does this)\n",
                font_file(0));
        return false;
    }
    reset_clock_state();
    if (SDL_Init(SDL_INIT_VIDEO) != 0 || TTF_Init() != 0) {
        fprintf(stderr, "Cannot start SDL: %s\n", SDL_GetError());
        return false;
    }
    return open_window();
}

long resident_kilobytes(void) {
    FILE* status = fopen("/proc/self/status", "r");
    if (status == NULL) {
        return -1;
    }
    char line[256];
    long kilobytes = -1;
    while (fgets(line, sizeof line, status) != NULL) {
        if (sscanf(line, "VmRSS: %ld kB", &kilobytes) == 1) {
            break;
        }
    }
    fclose(status);
    return kilobytes;
}

int run_benchmarks(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    TTF_Quit();
    SDL_Quit();
    return 0;
}
