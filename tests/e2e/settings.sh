#!/usr/bin/env bash
# The settings file is read at start-up and written by C: the window opens at the stored size,
# not fitted, and the stored layout counts; C saves the size a hand resize left; a save that
# cannot be written leaves the old file whole and complains once.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
start_xvfb

new_folder settings
write_settings $'12\n2\n901\n333\n'
start_clock
expect_size_kept 901x333 "the stored size, not fitted at start-up"
press s 39
expect_size "$(fit_size 12 2 1)" "S fits for the stored layout 2"

hand_resize 731 263
press c 54
expect_settings 12 2 731 263

# The settings reached through a link, under a name that leaves no room for the name of a new
# file beside it: the save fails even for root. The new size would show in the file had anything
# been written. (Windows saves beside the link and replaces it: tests/windows/files.sh fails a
# save its own way.)
keys=("Key pressed 39 " "Key pressed 54 ")
if [[ $platform == linux ]]; then
    hand_resize 702 244
    long_name=$(printf 'k%.0s' {1..250})
    mv "$run_dir/config.cwk" "$run_dir/$long_name"
    ln -s "$long_name" "$run_dir/config.cwk"
    press c 54
    sleep 0.3
    expect_settings 12 2 731 263
    keys+=("Key pressed 54 " "fopen failed on config")
fi
quit_clock
expect_output "${keys[@]}" "Key pressed 9 "
