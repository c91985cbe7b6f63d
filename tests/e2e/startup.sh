#!/usr/bin/env bash
# With no settings file the clock says so once, opens a 680 x 100 window with its normal caption
# and finds every font.
source "$(dirname "$0")/lib.sh"
start_xvfb

new_folder first-start
start_clock
expect_size 680x100 "the default size"
expect_caption "$normal_caption"
expect_output "fopen failed on config"
quit_clock
