#!/usr/bin/env bash
# Bad and missing inputs ($1 names the case): the clock still opens its window, keeps running
# and quits on Esc with status 0.
source "$(dirname "$0")/lib.sh"
start_xvfb
time_limit 40

new_folder "$1"
case $1 in
garbage) write_settings $'abc\n\x01\xff!!\n\n-zz\n' ;;
empty) write_settings "" ;;
layout5) write_settings $'12\n5\n680\n100\n' ;;
font200) write_settings $'200\n1\n680\n100\n' ;;
width0) write_settings $'12\n1\n0\n150\n' ;;
missing-font) leave_out Fonts KLS_____.ttf ;;
missing-tomnr) leave_out Fonts tomnr.ttf ;;
missing-fonts-folder) rm "$run_dir/Fonts" ;;
missing-picture) leave_out graphics 0.gif circle.gif ;;
*) fail "unknown case $1" ;;
esac
start_clock
case $1 in
garbage | empty) expect_size_kept 680x100 "the defaults" ;;
width0) expect_size_kept 680x150 "the default width" ;;
layout5)
    # Any layout but 1-3 gets 90 px below the text and at least 420 px across.
    press s 39
    size=$(fit_size 12 5 1)
    expect_size "$size" "S with layout 5"
    ;;
font200)
    press c 54 # wrapped on the first frame: 200 % 54
    expect_settings 38 1 680 100
    ;;
missing-font | missing-tomnr | missing-fonts-folder)
    # Six sizes a file (tomnr.ttf serves three families). Without its file the default font 12
    # cannot draw the words, which is reported every frame.
    declare -A failed=([missing-font]=6 [missing-tomnr]=18 [missing-fonts-folder]=54)
    seen=$(count_lines "failed load ")
    ((seen == failed[$1])) || fail "expected ${failed[$1]} \"failed load \" lines, saw $seen"
    seen=$(count_lines "failed to render font ")
    if [[ $1 == missing-tomnr ]]; then
        ((seen == 0)) || fail "font 12 is there, yet \"failed to render font \" was printed"
    else
        ((seen > 0)) || fail "expected \"failed to render font \" lines, saw none"
    fi
    ;;
missing-picture)
    press k 45 # the legend shows all ten pictures of the style
    expect_size 500x110 "the legend"
    sleep 0.3
    press k 45
    ;;
esac
sleep 0.5
clock_alive || fail "the clock ended on its own"
quit_clock
