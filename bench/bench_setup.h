// Shared start-up of the benchmark programs: the dummy video driver, the runtime folder check and
// the resident-memory reading behind the memory counters.
#pragma once

// Chooses SDL's dummy video driver (no window, no output on the terminal), checks that the
// working directory is the runtime folder, where the fonts are opened from, then starts SDL video
// and SDL_ttf and opens a window of the clock's default size as the clock does. Returns false
// after printing why when one of these fails.
bool start_benchmark_process(void);

// The resident set size of this process in kilobytes, from /proc/self/status.
long resident_kilobytes(void);

// Runs the registered benchmarks with the command line's options, then shuts SDL down. Returns
// main's exit status.
int run_benchmarks(int argc, char** argv);
