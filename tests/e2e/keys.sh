#!/usr/bin/env bash
# Every key of the command table reports its release with the X keycode it carries, in order,
# and acts: the saved settings show the state the keys left behind.
source "$(dirname "$0")/lib.sh"
start_xvfb

new_folder keys
start_clock
# Keys act on release: holding S down (shorter than the X server's auto-repeat delay) neither
# reports nor fits.
xdotool keydown s
sleep 0.3
[[ $(key_reports) -eq 0 && $(window_size) == 680x100 ]] ||
    fail "S held down: expected no report and no fit, saw $(key_reports) reports, $(window_size)"
xdotool keyup s
size=$(fit_size 12 1 1)
expect_size "$size" "S released: fitted with the seconds"

press f 41
press g 42
press minus 20 # font 18 is the smallest size of its family: stays
press equal 21
# The keypad keys by their keycodes: given their keysyms, xdotool also presses Alt on newer X
# keymaps (xkeyboard-config 2.48), and the clock rightly reports that key too.
press 82 82
press 86 86
press k 45
expect_size 500x110 "the legend"
press k 45
size=$(fit_size 19 2 1)
expect_size "$size" "back to the clock in font 19, layout 2"
press c 54
expect_settings 19 2 "${size%x*}" "${size#*x}"
press x 53 # no command
quit_clock
expect_output "fopen failed on config" "Key pressed 39 " "Key pressed 41 " "Key pressed 42 " \
    "Key pressed 20 " "Key pressed 21 " "Key pressed 82 " "Key pressed 86 " "Key pressed 45 " \
    "Key pressed 45 " "Key pressed 54 " "Key pressed 53 " "Key pressed 9 "

new_folder quit-with-q
start_clock
press q 24
wait_exit 2
expect_output "fopen failed on config" "Key pressed 24 "
