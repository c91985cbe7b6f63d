#!/usr/bin/env bash
# What the Windows clock shows under wine: the dark red background, the words in cream and the
# numeral row in gold, and the legend's ten pictures; a hand resize is followed and painted whole;
# bad and missing inputs still give a window that fits, shows the legend and quits cleanly.
# shellcheck source=tests/windows/clock_lib.sh
source "$(dirname "$0")/clock_lib.sh"

new_folder screen
# At a time whose words are long: at a full hour they are too short to count on their pixels.
at_time "2026-12-09 14:37:45"
start_clock "${clock_at[@]}"
probe=$(fit_size 12 3 0)
h=$((${probe#*x} - 20))
first=$(shot first)
# Right of the numeral row and below the words nothing but the background is drawn.
expect_pixels "$first" 420 $((h + 2)) 260 $((98 - h)) "$not_background" 0 0 "non-background"
expect_pixels "$first" 0 0 $((${probe%x*} - 20)) "$h" "$cream" 40 100000 "text"
# Layout 1: the six large numerals, four pixels to the unit.
for x in 0 40 160 208 320 368; do
    expect_pixels "$first" "$x" $((h + 10)) 40 56 "$gold" 112 100000 "numeral"
done
press k 37
expect_size 500x110 "the legend"
wait_drawn
legend=$(shot legend)
for i in {0..9}; do
    expect_pixels "$legend" $((50 * i)) 0 40 56 "$gold" 112 100000 "numeral $i"
done
press k 37

hand_resize 800 600
picture=$(shot resized)
expect_pixels "$picture" 0 560 800 40 "$not_background" 0 0 "non-background"
press s 31
expect_size "$(fit_size 12 1 1)" "S after the hand resize"
quit_clock

# No usable settings, the default font's file and two pictures missing.
new_folder bad-input
printf '12\n\x01\xff!!\n\n-zz\n' >"$run_dir/config.cwk"
leave_out Fonts KLS_____.ttf
leave_out graphics 0.gif circle.gif
start_clock
expect_size_kept 680x100 "the default size"
seen=$(count_lines "failed load ")
((seen == 6)) || fail "expected 6 \"failed load \" lines (one file, six sizes), saw $seen"
(($(count_lines "failed to render font ") > 0)) || fail "expected \"failed to render font \" lines"
press s 31
expect_size 420x90 "S with no font in layout 0"
press k 37
expect_size 500x110 "the legend"
quit_clock
