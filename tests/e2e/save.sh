#!/usr/bin/env bash
# C saves the settings: the defaults when there was no file, the new size after a hand resize,
# and nothing at all (the old file whole, one complaint) when the file cannot be written.
source "$(dirname "$0")/lib.sh"
start_xvfb

new_folder save
start_clock
press c 54
expect_settings 12 1 680 100

hand_resize 731 263
press c 54
expect_settings 12 1 731 263

# The settings reached through a link, under a name that leaves no room for the name of a new
# file beside it: the save fails even for root. The new size would show in the file had anything
# been written.
hand_resize 702 244
long_name=$(printf 'k%.0s' {1..250})
mv "$run_dir/config.cwk" "$run_dir/$long_name"
ln -s "$long_name" "$run_dir/config.cwk"
press c 54
sleep 0.3
expect_settings 12 1 731 263
[[ $(count_lines "fopen failed on config") -eq 2 ]] ||
    fail "a failed save should print \"fopen failed on config\" once more"
quit_clock
