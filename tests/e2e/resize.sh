#!/usr/bin/env bash
# A hand resize is applied at once and the whole window is painted; the next S fits it again,
# and Esc after another hand resize ends the clock cleanly.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
start_xvfb

new_folder resize
start_clock
hand_resize 800 600
picture=$(shot resized)
seen=$(identify -format '%wx%h' "$picture")
[[ $seen == 800x600 ]] || fail "expected an 800x600 screenshot, got $seen"
# The background strips are 200 px high: the bottom rows come from the last tile.
convert "$picture" -crop 800x40+0+560 +repage "$work/bottom.png"
expect_pixels "$work/bottom.png" 0 0 800 40 "$not_background" 0 0 "non-background"

press s 39
size=$(fit_size 12 1 1)
expect_size "$size" "S after the hand resize"
# Esc right after a hand resize ends the clock with status 0, also as the launcher starts it.
hand_resize 731 263
quit_clock
new_folder resize-launcher
start_clock "${launcher_hints[@]}"
hand_resize 731 263
quit_clock
