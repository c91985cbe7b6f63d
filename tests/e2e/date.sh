#!/usr/bin/env bash
# On 19 August the caption greets; on any other day it is the normal one.
source "$(dirname "$0")/lib.sh"
start_xvfb

libraries=(/usr/lib/*/faketime/libfaketime.so.1)
libfaketime=${libraries[0]}
[[ -f $libfaketime ]] || fail "libfaketime is missing (Debian package faketime)"

# The library itself rather than the faketime wrapper, so that the clock keeps its own PID.
for day in 19:"$birthday_caption" 18:"$normal_caption"; do
    new_folder "august-${day%%:*}"
    start_clock TZ=UTC LD_PRELOAD="$libfaketime" FAKETIME="@2026-08-${day%%:*} 12:00:00"
    expect_caption "${day#*:}"
    quit_clock
done
