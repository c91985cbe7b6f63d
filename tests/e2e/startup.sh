#!/usr/bin/env bash
# With no settings file the clock says so once, opens a 680 x 100 window with its normal caption
# and finds every font, and a window manager's close request ends it within 2 s with status 0.
# On 19 August the caption greets instead. (Esc ends every scenario; Q ends the keys one.)
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
start_xvfb

new_folder first-start
at_time "2026-08-18 12:00:00"
start_clock "${clock_at[@]}"
expect_size 680x100 "the default size"
expect_caption "$normal_caption"
expect_output "fopen failed on config"
"$close_window_bin" "$win" || fail "could not send the close request"
wait_exit

new_folder birthday
at_time "2026-08-19 12:00:00"
start_clock "${clock_at[@]}"
expect_caption "$birthday_caption"
quit_clock
