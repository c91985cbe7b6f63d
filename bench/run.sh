#!/usr/bin/env bash
# bench/run.sh BUILD_DIR
#
# Runs the Google Benchmark programs (median of BENCH_REPETITIONS runs, default 3) and the
# whole-process measurement (bench/process.sh), then prints the figures and checks them against
# the performance budget. In-process ratios use processor time, which other load on the machine
# disturbs far less than elapsed time. The raw results stay in BUILD_DIR/bench-results/.
# Exits 0 whether or not the budget is met: figures are reported, not asserted.
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: bench/run.sh BUILD_DIR" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
repetitions=${BENCH_REPETITIONS:-3}
results=$build/bench-results
for program in strip_bench frame_bench; do
    if [ ! -x "$build/bench/$program" ]; then
        echo "run.sh: $build/bench/$program is missing: build first (make bench)" >&2
        exit 1
    fi
done
mkdir -p "$results"

run_benchmark() {
    local program=$1
    echo "Running $program ($repetitions repetitions)..." >&2
    if ! (cd "$build/runtime" && "$build/bench/$program" \
        --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
        --benchmark_out="$results/$program.csv" --benchmark_out_format=csv) \
        >"$results/$program.txt" 2>&1; then
        echo "run.sh: $program failed; its output:" >&2
        cat "$results/$program.txt" >&2
        exit 1
    fi
}
run_benchmark strip_bench
run_benchmark frame_bench

# "name real_ms cpu_ms rss_MiB" for every median, from both programs.
awk -F, '
    /^"/ && $1 ~ /_median"$/ {
        name = $1
        gsub(/"/, "", name)
        sub(/_median$/, "", name)
        scale = $5 == "ns" ? 1e-6 : $5 == "us" ? 1e-3 : $5 == "s" ? 1e3 : 1
        rss = "-"
        if (match($8, /rss_MiB=[0-9.]+/)) {
            rss = substr($8, RSTART + 8, RLENGTH - 8)
        }
        printf "%s %.4f %.4f %s\n", name, $3 * scale, $4 * scale, rss
    }' "$results/strip_bench.csv" "$results/frame_bench.csv" >"$results/medians.txt"

PROCESS_RESULTS=$results/process.txt bash "$here/process.sh" "$build" >"$results/process-table.txt"

# figure NAME [COLUMN]: a figure from the benchmark medians (COLUMN 2 real ms, 3 cpu ms, 4 resident
# MiB) or from the whole-process results (no COLUMN); "none" when there is no such figure.
figure() {
    awk -v n="$1" -v c="${2:-2}" '$1 == n { print $c; found = 1 } END { if (!found) print "none" }' \
        "$results/medians.txt" "$results/process.txt"
}

echo
printf '%-40s %12s %12s\n' "Benchmark (median of $repetitions)" "real ms" "CPU ms"
awk '{ printf "%-40s %12.3f %12.3f\n", $1, $2, $3 }' "$results/medians.txt"
echo
cat "$results/process-table.txt"

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { if (a == "none" || b == "none" || b + 0 == 0) print "none"; else printf "%.3f", a / b }'
}
# row LABEL MEASURED LIMIT: a budget row, the measured ratio against its limit.
row() {
    awk -v t="$1" -v m="$2" -v l="$3" 'BEGIN {
        v = m == "none" ? "no figure" : l == "-" ? "not budgeted" : m + 0 <= l + 0 ? "met" : "MISSED"
        printf "%-58s %9s %7s  %s\n", t, m, l, v }'
}

small_pass=$(ratio "$(figure pass/clock/680x100/prepared 3)" "$(figure pass/clock/680x100/blended 3)")
large_pass=$(ratio "$(figure pass/clock/1300x1000/prepared 3)" "$(figure pass/clock/1300x1000/blended 3)")
process_cpu=$(ratio "$(figure default_clock_cpu_pct)" "$(figure default_reference_cpu_pct)")
steady_cpu=$(ratio "$(figure default_clock_steady_cpu_pct)" "$(figure default_reference_steady_cpu_pct)")
first_frame=$(ratio "$(figure first_frame_ms)" "$(figure strips/rand_floor 2)")
first_frame_cpu=$(ratio "$(figure first_frame_cpu_ms)" "$(figure strips/rand_floor 3)")
default_gl_wakeups=$(figure default_gl_clock_wakeups_per_s)
compat_wakeups=$(figure compat_clock_wakeups_per_s)
# Memory in MB of 10^6 bytes; the peak resident size is in KiB. One strip holds 1300 x 200 x 4 bytes.
strips_mb=$(awk 'BEGIN { printf "%.1f", 20 * 1300 * 200 * 4 / 1e6 }')
fonts_mb=$(awk -v m="$(figure fonts/open_table 4)" 'BEGIN { printf "%.1f", m * 1048576 / 1e6 }')
reference_mb=$(awk -v k="$(figure default_reference_peak_kb)" 'BEGIN { printf "%.1f", k * 1024 / 1e6 }')
clock_mb=$(awk -v k="$(figure default_clock_peak_kb)" 'BEGIN { printf "%.1f", k * 1024 / 1e6 }')
memory_limit=$(awk -v r="$reference_mb" -v s="$strips_mb" -v f="$fonts_mb" 'BEGIN { printf "%.1f", r + s + f }')

echo
printf '%-58s %9s %7s  %s\n' "Budget" measured limit verdict
row "Clock pass 680x100 / same pass, blended strips (CPU)" "$small_pass" 0.200
row "Clock pass 1300x1000 / same pass, blended strips (CPU)" "$large_pass" 0.050
row "Whole-process CPU / reference loop, exec to $(figure seconds) s" "$process_cpu" 1.500
row "  the same from 5 s on (start-up left out)" "$steady_cpu" 0.500
row "$(figure default_stack) as the launcher starts it: wake-ups/s from 5 s" "$(figure default_clock_wakeups_per_s)" 50
[ "$default_gl_wakeups" = none ] || row "  the same with SDL's defaults" "$default_gl_wakeups" -
if [ "$compat_wakeups" != none ]; then
    row "$(figure compat_stack) (private folder), launcher: wake-ups/s" "$compat_wakeups" 50
    row "  the same with SDL's defaults" "$(figure compat_gl_clock_wakeups_per_s)" -
fi
row "Exec to first frame / rand() floor, elapsed" "$first_frame" 1.000
row "  CPU used by then / rand() floor CPU (not budgeted)" "$first_frame_cpu" 1.000
row "Peak RSS MB (ref $reference_mb + strips $strips_mb + fonts $fonts_mb)" "$clock_mb" "$memory_limit"
echo
echo "Machine: $(nproc) cores, $(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)," \
    "load average $(cut -d' ' -f1-3 /proc/loadavg). Raw results: $results/"
