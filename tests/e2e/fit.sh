#!/usr/bin/env bash
# Each command that changes what the clock view shows fits the window to the phrase for
# 58:58:58 in the current font; the legend gets 500 x 110; a size step that stops at the edge of
# its family leaves the window alone.
source "$(dirname "$0")/lib.sh"
start_xvfb

new_folder fit
start_clock
# key, X keycode, font index, layout, seconds shown, why
while read -r -u 3 key code font layout seconds why; do
    press "$key" "$code"
    if [[ $font == legend ]]; then
        expect_size 500x110 "$why"
    else
        size=$(fit_size "$font" "$layout" "$seconds")
        expect_size "$size" "$why"
    fi
done 3<<'KEYS'
s 39 12 1 1 seconds shown, layout 1
g 42 12 2 1 layout 2
g 42 12 3 1 layout 3
k 45 legend - - legend view
k 45 12 3 1 clock view again
f 41 18 3 1 next family: KLB_____.ttf at 18 pt
g 42 18 1 1 layout 1 again after 3
KEYS

hand_resize 777 222
press minus 20
expect_size_kept 777x222 "smaller at the smallest size of the family"
press equal 21
size=$(fit_size 19 1 1)
expect_size "$size" "larger: KLB_____.ttf at 21 pt"
quit_clock
