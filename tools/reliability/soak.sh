#!/usr/bin/env bash
# Leaves the clock running under its own Xvfb for MINUTES minutes (default 10), pressing keys
# now and then, and samples its resident memory (VmRSS) about every 10 s. Fails when the memory
# grows after the first minute by more than TOLERANCE_KIB (default 1024), when a key release is
# not reported, or when the clock does not run to the end and quit cleanly on Esc.
#   BUILD=<build folder> (default build/) is configured and built first.
set -euo pipefail

minutes=${1:-10}
tolerance=${TOLERANCE_KIB:-1024}
if ! [[ "$minutes" =~ ^[0-9]+$ ]] || [ "$minutes" -lt 2 ]; then
    echo "usage: $0 [MINUTES]   (whole minutes, at least 2, default 10)" >&2
    exit 2
fi
# shellcheck source=tools/x_session.sh
source "$(dirname "$0")/../x_session.sh"
"$root/tools/setup-debian.sh" test procps
require_tools cmake Xvfb xdotool xdpyinfo ps

build_clock
start_xvfb
run=$x_session_dir/run
clock_folder "$run"
start_clock_in "$run" "$build/chronwick"
wait_for_window 60 || exit 1
echo "Clock window $window_id; soaking for $minutes min"

rss_kib() {
    ps -o rss= -p "$clock_pid"
}

# One round every ~10 s: every command that changes what is drawn, then back to where it began
# (font size up and down, three layouts, legend and back, seconds on and off), plus the next font
# family, so that all nine families come round again and again.
round_keys=(s g equal minus k k g g s f)
end=$(($(date +%s) + minutes * 60))
start_time=$(date +%s)
pressed=0
times=()
samples=()
while [ "$(date +%s)" -lt "$end" ]; do
    round_start=$(date +%s)
    if ! clock_alive; then
        echo "The clock stopped during the soak; its output:" >&2
        tail -n 20 "$run/out.txt" "$run/err.txt" >&2
        exit 1
    fi
    press_keys "${round_keys[@]}"
    pressed=$((pressed + ${#round_keys[@]}))
    sleep 2
    elapsed=$(($(date +%s) - start_time))
    rss=$(rss_kib)
    times+=("$elapsed")
    samples+=("$rss")
    printf 't=%4ds  VmRSS %6d KiB\n' "$elapsed" "$rss"
    remaining=$((round_start + 10 - $(date +%s)))
    if [ "$remaining" -gt 0 ]; then
        sleep "$remaining"
    fi
done

press_keys Escape
if ! wait_for_exit 30; then
    echo "The clock did not quit cleanly on Esc" >&2
    exit 1
fi
pressed=$((pressed + 1))
reported=$(key_lines "$run")

# Figures after the first minute: baseline the first sample past 60 s, growth the last sample
# against it, plus the least-squares slope over all those samples.
memory_ok=1
summary=$(paste <(printf '%s\n' "${times[@]}") <(printf '%s\n' "${samples[@]}") | awk -v tol="$tolerance" '
    $1 >= 60 {
        n++; t[n] = $1; r[n] = $2
        if (n == 1 || $2 > max) max = $2
        if (n == 1 || $2 < min) min = $2
    }
    END {
        if (n < 2) { print "too few samples after the first minute"; exit 1 }
        for (i = 1; i <= n; i++) { st += t[i]; sr += r[i] }
        mt = st / n; mr = sr / n
        for (i = 1; i <= n; i++) { num += (t[i] - mt) * (r[i] - mr); den += (t[i] - mt) ^ 2 }
        growth = r[n] - r[1]
        printf "after the first minute: %d samples, baseline %d KiB, last %d KiB, min %d, max %d, growth %+d KiB, slope %+.1f KiB/min\n", n, r[1], r[n], min, max, growth, 60 * num / den
        if (growth > tol || max - r[1] > 4 * tol) exit 1
    }') || memory_ok=0
echo "$summary"
echo "keys pressed $pressed, releases reported $reported"
if [ "$reported" -ne "$pressed" ]; then
    echo "FAIL: the clock reported $reported key releases for $pressed keys pressed" >&2
    exit 1
fi
if [ "$memory_ok" -ne 1 ]; then
    echo "FAIL: resident memory grew by more than $tolerance KiB after the first minute" >&2
    exit 1
fi
echo "PASS: no growth in resident memory after the first minute"
