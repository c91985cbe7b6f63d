#!/usr/bin/env bash
# Takes PNG screenshots of the clock under Xvfb: the clock view in each layout, with seconds,
# and the legend. Usage: tools/screenshot.sh [build-dir] [out-dir]
set -euo pipefail
BUILD=$(cd "${1:-build}" && pwd)
out=${2:-$BUILD/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
# shellcheck source=tools/x_session.sh
source "$(dirname "$0")/x_session.sh"

start_xvfb >/dev/null
clock_folder "$x_session_dir/run"
start_clock_in "$x_session_dir/run" "$build/chronwick"
wait_for_window 10
xdotool windowfocus --sync "$window_id"

shot() {
    sleep 0.6
    import -window "$window_id" "$out/$1.png"
    echo "$out/$1.png"
}
xdotool key s # seconds in the words
shot clock-layout1
xdotool key g
shot clock-layout2
xdotool key g
shot clock-layout3
xdotool key g k # back to layout 1, then the legend
shot legend
xdotool key Escape
wait_for_exit 5
