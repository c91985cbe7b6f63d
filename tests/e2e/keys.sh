#!/usr/bin/env bash
# Every key of the command table reports its release with the X keycode it carries, in order,
# and acts. Each command that changes what the clock view shows fits the window to the phrase
# for 58:58:58 in the current font, the legend gets 500 x 110, a size step that stops at the
# edge of its family leaves a hand-made size alone, and C saves the state the keys left behind.
# shellcheck source=tests/e2e/lib.sh
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
expect_size "$(fit_size 12 1 1)" "S released: fitted with the seconds"

# The keypad keys go by their keycodes: given their keysyms, xdotool also presses Alt on newer X
# keymaps (xkeyboard-config 2.48), and the clock rightly reports that key too.
press_key_table 3<<'KEYS'
g 42 12 2 1 layout 2
g 42 12 3 1 layout 3
k 45 legend - - the legend
k 45 12 3 1 the clock view again
f 41 18 3 1 next family: KLB_____.ttf at 18 pt
g 42 18 1 1 layout 1 again after 3
minus 20 kept - - smaller at the smallest size of the family
equal 21 19 1 1 larger: KLB_____.ttf at 21 pt
82 82 18 1 1 keypad minus
86 86 19 1 1 keypad plus
KEYS
size=$(window_size)
press c 54
expect_settings 19 1 "${size%x*}" "${size#*x}"
press x 53 # no command
quit_clock
expect_output "fopen failed on config" "Key pressed 39 " "Key pressed 42 " "Key pressed 42 " \
    "Key pressed 45 " "Key pressed 45 " "Key pressed 41 " "Key pressed 42 " "Key pressed 20 " \
    "Key pressed 21 " "Key pressed 82 " "Key pressed 86 " "Key pressed 54 " "Key pressed 53 " \
    "Key pressed 9 "

new_folder quit-with-q
start_clock
press q 24
wait_exit
expect_output "fopen failed on config" "Key pressed 24 "
