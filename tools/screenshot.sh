#!/usr/bin/env bash
# Takes PNG screenshots of the clock under Xvfb: the clock view in each layout, with seconds,
# and the legend. Usage: tools/screenshot.sh [build-dir] [out-dir]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
out=${2:-$build/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)

display=99
while [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
work=$(mktemp -d)
Xvfb :$display -noreset -nolisten tcp -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
clock=""
cleanup() {
    [ -n "$clock" ] && kill "$clock" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=:$display SDL_VIDEODRIVER=x11

ln -s "$build/runtime/Fonts" "$build/runtime/graphics" "$work/"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
(cd "$work" && exec "$build/chronwick" >/dev/null 2>&1) &
clock=$!
window=""
for _ in $(seq 100); do
    window=$(xdotool search --name 'Chronwick|QA TLHO' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "The clock's window did not appear" >&2; exit 1; }
xdotool windowfocus --sync "$window"

shot() { sleep 0.6; import -window "$window" "$out/$1.png"; echo "$out/$1.png"; }
xdotool key s            # seconds in the words
shot clock-layout1
xdotool key g
shot clock-layout2
xdotool key g
shot clock-layout3
xdotool key g k          # back to layout 1, then the legend
shot legend
xdotool key Escape
wait "$clock" || true
clock=""
