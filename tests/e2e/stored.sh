#!/usr/bin/env bash
# The settings file is read at start-up: the window opens at the stored size, the stored layout
# counts, and a stored font index out of range is brought back into range.
source "$(dirname "$0")/lib.sh"
start_xvfb

new_folder stored-size
write_settings $'12\n2\n901\n333\n'
start_clock
expect_size_kept 901x333 "the stored size, not fitted at start-up"
press s 39
size=$(fit_size 12 2 1)
expect_size "$size" "S fits for the stored layout 2"
quit_clock
expect_output "Key pressed 39 " "Key pressed 9 "

# Font index: what it becomes on the first frame.
for pair in -5:53 60:6; do
    new_folder "stored-font$pair"
    write_settings "${pair%:*}"$'\n1\n700\n150\n'
    start_clock
    press c 54
    expect_settings "${pair#*:}" 1 700 150
    quit_clock
done

# Smaller from index 0 leaves the family range and wraps to the last font, 53 (tomnr.ttf, 33 pt).
new_folder stored-font0
write_settings $'0\n1\n700\n150\n'
start_clock
press minus 20
size=$(fit_size 53 1 0)
expect_size "$size" "font 53 after smaller from font 0"
press c 54
expect_settings 53 1 "${size%x*}" "${size#*x}"
quit_clock
