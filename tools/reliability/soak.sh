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
require_tools cmake Xvfb xdotool ps

build_clock
start_xvfb
run=$x_session_dir/run
clock_folder "$run"
start_clock_in "$run" "$build/chronwick"
wait_for_window 60 || exit 1
echo "Clock window $window_id; soaking for $minutes min"

# One round every ~10 s: every command that changes what is drawn, then back to where it began
# (font size up and down, three layouts, legend and back, seconds on and off), plus the next font
# family, so that all nine families come round again and again. The memory the first minute
# settles at is the baseline; the last sample must stay within the tolerance of it, and every
# sample within four times that.
round_keys=(s g equal minus k k g g s f)
start_time=$(date +%s)
pressed=0 baseline="" peak=0 rss=0
while [ $(($(date +%s) - start_time)) -lt $((minutes * 60)) ]; do
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
    rss=$(ps -o rss= -p "$clock_pid")
    printf 't=%4ds  VmRSS %6d KiB\n' "$elapsed" "$rss"
    if [ "$elapsed" -ge 60 ]; then
        baseline=${baseline:-$rss}
        [ "$rss" -le "$peak" ] || peak=$rss
    fi
    sleep $((round_start + 10 - $(date +%s))) 2>/dev/null || true
done

press_keys Escape
if ! wait_for_exit 30; then
    echo "The clock did not quit cleanly on Esc" >&2
    exit 1
fi
pressed=$((pressed + 1))
reported=$(key_lines "$run")
echo "after the first minute: baseline $baseline KiB, last $rss KiB, peak $peak KiB, growth $((rss - baseline)) KiB"
echo "keys pressed $pressed, releases reported $reported"
if [ "$reported" -ne "$pressed" ]; then
    echo "FAIL: the clock reported $reported key releases for $pressed keys pressed" >&2
    exit 1
fi
if [ $((rss - baseline)) -gt "$tolerance" ] || [ $((peak - baseline)) -gt $((4 * tolerance)) ]; then
    echo "FAIL: resident memory grew by more than $tolerance KiB after the first minute" >&2
    exit 1
fi
echo "PASS: no growth in resident memory after the first minute"
