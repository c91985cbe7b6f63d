#!/usr/bin/env bash
# Bad and missing inputs at once: settings lines that are no numbers (a layout of 0, no usable
# window size), the default font's file and two pictures missing. The clock still opens its
# window at the default size, reports each font entry that did not open and each frame whose
# words it could not draw, fits and shows the legend, and quits on Esc with status 0. Each input
# is checked on its own in-process.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
start_xvfb

new_folder bad-input
write_settings $'12\n\x01\xff!!\n\n-zz\n'
leave_out Fonts KLS_____.ttf
leave_out graphics 0.gif circle.gif
start_clock
expect_size_kept 680x100 "the default size"
seen=$(count_lines "failed load ")
((seen == 6)) || fail "expected 6 \"failed load \" lines (one file, six sizes), saw $seen"
seen=$(count_lines "failed to render font ")
((seen > 0)) || fail "expected \"failed to render font \" lines, saw none"
# Any layout but 1-3 gets 90 px below the text and at least 420 px across; no font measures 0.
press s 39
expect_size 420x90 "S with no font in layout 0"
press k 45 # the legend shows all ten pictures of the style, but one
expect_size 500x110 "the legend"
press k 45
clock_alive || fail "the clock ended on its own"
quit_clock
