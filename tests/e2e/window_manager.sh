#!/usr/bin/env bash
# Under a real window manager the window stays where the user put it through every refit and
# hand resize, a drag of its frame's corner goes all the way, and Esc ends the clock.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
start_xvfb

# openbox names its theme on the root window once it has loaded it, just before it manages
# windows; a window mapped earlier waits for it, and so does the clock.
HOME=$work openbox --sm-disable >"$work/openbox.log" 2>&1 &
for _ in {1..300}; do
    xprop -root _OB_THEME 2>/dev/null | grep -q = && break
    sleep 0.1
done
xprop -root _OB_THEME 2>/dev/null | grep -q = ||
    fail "openbox was not ready within 30 s: $(tail -n 3 "$work/openbox.log")"

# The window manager's frame around the clock's window: "X Y W H", or nothing while the window
# is being replaced.
frame_geometry() {
    local frame
    find_window
    frame=$(xwininfo -tree -id "$win" 2>/dev/null | awk '/Parent window id:/ {print $4}') || true
    [[ -z $frame ]] || xwininfo -id "$frame" 2>/dev/null |
        awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
             /Width:/ {w = $2} /Height:/ {h = $2} END {print x, y, w, h}' || true
}

# Waits (up to 3 s) for the frame to stand within 2 px of 100,100; $1 says after what.
expect_frame_in_place() {
    local x="" y=""
    for _ in {1..60}; do
        read -r x y _ < <(frame_geometry) || true
        [[ -n $y ]] && ((x >= 98 && x <= 102 && y >= 98 && y <= 102)) && return 0
        sleep 0.05
    done
    fail "expected the frame at 100,100 after $1, saw $x,$y"
}

new_folder window-manager
start_clock "${launcher_hints[@]}"
# Near the top left: on the 1280 px wide screen even the dragged window stays whole, so the window
# manager never moves it back onto the screen.
xdotool windowmove --sync "$win" 100 100
expect_frame_in_place "the move"
while read -r -u 3 key code font layout seconds; do
    press "$key" "$code"
    expect_size "$(fit_size "$font" "$layout" "$seconds")" "$key"
    expect_frame_in_place "$key"
done 3<<'KEYS'
f 41 18 1 0
g 42 18 2 0
s 39 18 2 1
KEYS

settle_window
xdotool windowsize "$win" 900 200
expect_size 900x200 "resized by hand"
expect_frame_in_place "a hand resize"

# A drag of the frame's bottom right corner, in ten steps: the window follows it all the way. It
# starts once the clock has applied the resize above, which a runtime that replaces the window to
# resize it does 0.4 s after the last resize.
sleep 1
settle_window
read -r x y width height < <(frame_geometry) || fail "the window has no frame"
xdotool mousemove $((x + width - 2)) $((y + height - 2)) mousedown 1
for _ in {1..10}; do
    sleep 0.1
    xdotool mousemove_relative 20 15
done
xdotool mouseup 1
expect_size 1100x350 "a drag of the frame's corner by 200 x 150"
expect_frame_in_place "the drag"
quit_clock
