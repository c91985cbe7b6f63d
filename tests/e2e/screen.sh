#!/usr/bin/env bash
# What the window shows: the shimmering dark red background, the words in cream and the numeral
# row in gold (the rows of the other layouts are drawn by the same code, checked in-process), and
# the legend's pictures with their labels.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
start_xvfb

new_folder screen
# At a time whose words are long: at a full hour they are too short to count on their pixels.
at_time "2026-12-09 14:37:45"
start_clock "${clock_at[@]}"
# Layout 3 fits the window to the probe phrase with 20 px below it.
probe=$(fit_size 12 3 0)
probe_width=$((${probe%x*} - 20)) h=$((${probe#*x} - 20))

# Right of the numeral row and below the words nothing but the background is drawn.
free_area=(420 $((h + 2)) 260 $((98 - h)))
first=$(shot first)
expect_pixels "$first" "${free_area[@]}" "$not_background" 0 0 "non-background"
# A new strip is chosen every frame: within a few frames the background changes.
for i in {1..6}; do
    later=$(shot "later$i")
    convert "$first" "$later" -compose difference -composite "$work/change.png"
    changed=$(count_pixels "$work/change.png" "${free_area[@]}" 'r + g + b > 0')
    ((changed > 260 * (98 - h) / 2)) && break
done
((changed > 260 * (98 - h) / 2)) || fail "the background stayed the same over 6 screenshots"
# A light face at 18 points covers few pixels whole: some 70 (Ferrite Core DX Light) to 200.
expect_pixels "$first" 0 0 "$probe_width" "$h" "$cream" 40 100000 "text"

# expect_row IMAGE Y WIDTH HEIGHT X...: a numeral picture of WIDTH x HEIGHT at each X, row Y.
expect_row() {
    local image=$1 y=$2 width=$3 height=$4 x
    shift 4
    for x in "$@"; do
        expect_pixels "$image" "$x" "$y" "$width" "$height" "$gold" \
            $((width * height / 20)) 100000 "numeral"
    done
}

# Layout 1: large pictures, four pixels to the unit. Each colon is two dot pictures (32 x 40)
# at h - 6 and h + 14.
expect_row "$first" $((h + 10)) 40 56 0 40 160 208 320 368
expect_row "$first" $((h - 6)) 32 60 104 264
# Nothing gold just above, below or between the hour's pictures, nor right of the row.
expect_pixels "$first" 0 "$h" 100 10 "$gold" 0 0 "numeral"
expect_pixels "$first" 0 $((h + 66)) 100 $((34 - h)) "$gold" 0 0 "numeral"
expect_pixels "$first" 82 $((h + 10)) 20 56 "$gold" 0 0 "numeral"
expect_pixels "$first" "${free_area[@]}" "$gold" 0 0 "numeral"

press k 45
expect_size 500x110 "the legend"
wait_drawn
legend=$(shot legend)
expect_row "$legend" 0 40 56 0 50 100 150 200 250 300 350 400 450
# A label's strokes in a light face are seldom pure cream, but they stand out from the strip.
for i in {0..9}; do
    expect_pixels "$legend" $((50 * i + 20)) 60 20 "$h" "$not_background" 5 100000 "label $i"
done
expect_pixels "$legend" 0 $((60 + h)) 500 $((50 - h)) "$cream" 0 0 "text"
press k 45

quit_clock
