#!/usr/bin/env bash
# Esc, Q and a window manager's close request ($1: esc, q or close) each end the clock within
# 2 s with status 0.
source "$(dirname "$0")/lib.sh"
start_xvfb

new_folder "quit-$1"
start_clock
case $1 in
esc) xdotool key Escape ;;
q) xdotool key q ;;
close) "$close_window_bin" "$win" || fail "could not send the close request" ;;
*) fail "unknown way to quit: $1" ;;
esac
wait_exit 2
