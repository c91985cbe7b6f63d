#!/usr/bin/env bash
# Runs the clock under valgrind memcheck for a short session under its own Xvfb: it starts, draws
# for a few seconds, takes a few keys (seconds, layout, size, legend and back) and quits on Esc.
# Fails when valgrind reports a memory error or a definite leak that involves the clock's own
# code; what SDL, X, ALSA, FreeType or fontconfig leak by themselves is counted and let pass.
#   BUILD=<build folder> (default build/) is configured and built first.
#   The full valgrind log is kept in memcheck.log in that build folder.
#   memcheck.sh --log FILE only sorts the records of an earlier valgrind log.
set -euo pipefail

# shellcheck source=tools/x_session.sh
source "$(dirname "$0")/../x_session.sh"

run_clock_under_valgrind() {
    build_clock
    start_xvfb
    log="$build/memcheck.log"
    rm -f "$log"
    run=$x_session_dir/run
    clock_folder "$run"
    start_clock_in "$run" valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite \
        --show-leak-kinds=definite --num-callers=40 --log-file="$log" "$build/chronwick"
    echo "Clock started under valgrind"
    wait_for_window 180 || exit 1

    # The first frame comes once the background strips are made, slowly under valgrind: press S
    # until the clock reports the key.
    for _ in $(seq 120); do
        [ "$(key_lines "$run")" -gt 0 ] && break
        press_keys s
        sleep 2
    done
    if [ "$(key_lines "$run")" -eq 0 ]; then
        echo "The clock never reported a key under valgrind" >&2
        exit 1
    fi
    sleep 3
    press_keys s g equal minus k
    sleep 3
    press_keys k g g
    sleep 3
    press_keys Escape
    if ! wait_for_exit 180; then
        echo "The clock did not quit on Esc under valgrind" >&2
        exit 1
    fi
    echo "Clock quit on Esc; $(key_lines "$run") key releases reported"
}

# Sorts valgrind's records. A definite leak is ours when the clock's code (src/) allocated the
# block itself, or called the allocator or a library call that hands the caller a new object to
# free (a surface, a picture, a font, rendered text). A block that a library allocates for itself
# inside a call such as SDL_Init is the library's. A memory error is ours when the clock's code is
# among the three innermost frames. The library's records are only counted: the log has them.
analyse_log() {
    local ours
    ours=$(find "$root/src" -name '*.cpp' -printf '%f\n' | sed 's/\./\\./g' | paste -sd '|')
    awk -v ours="\\((${ours}):[0-9]+\\)" '
    BEGIN {
        owner = "^ *(at|by) 0x[0-9A-Fa-f]+: (malloc|calloc|realloc|strn?dup|operator new(\\[\\])?|" \
            "SDL_CreateRGBSurface(From)?|SDL_ConvertSurface|SDL_DisplayFormat(Alpha)?|" \
            "IMG_Load(_RW|Typed_RW)?|TTF_OpenFont(Index)?|TTF_Render[A-Za-z0-9_]*)[ (]"
    }
    function flush(    first) {
        first = 0
        for (i = 1; i <= frames; i++) if (frame[i] ~ ours) { first = i; break }
        if (record ~ /definitely lost in loss record/) {
            bytes = record; sub(/ .*/, "", bytes); gsub(/,/, "", bytes)
            if (first == 1 || (first > 1 && frame[first - 1] ~ owner)) {
                ours_leaks++; ours_bytes += bytes; print "LEAK IN OUR CODE:\n" record "\n"
            } else { lib_leaks++; lib_bytes += bytes }
        } else if (record ~ /^(Invalid |Conditional jump|Use of uninitialised|Syscall param|Mismatched free|Source and destination overlap|Argument |Jump to)/) {
            if (first >= 1 && first <= 3) { ours_errors++; print "MEMORY ERROR IN OUR CODE:\n" record "\n" }
            else lib_errors++
        }
        record = ""; frames = 0
    }
    {
        sub(/^==[0-9]+== ?/, "")
        if ($0 ~ /^ERROR SUMMARY/) summary = $0
        if ($0 ~ /definitely lost:/) definite = $0
        if ($0 == "") { flush(); next }
        record = record == "" ? $0 : record "\n" $0
        if ($0 ~ /^ *(at|by) 0x/) frame[++frames] = $0
    }
    END {
        flush()
        printf "valgrind: %s\nvalgrind: %s\n", summary, definite
        printf "definite leaks the libraries make by themselves: %d records, %d bytes\n", lib_leaks, lib_bytes
        printf "memory errors inside the libraries: %d\n", lib_errors
        printf "definite leaks in our code: %d records, %d bytes\n", ours_leaks, ours_bytes
        printf "memory errors in our code: %d\n", ours_errors
        exit (ours_leaks + ours_errors > 0)
    }' "$1"
}

if [ "${1:-}" = "--log" ]; then
    if [ ! -r "${2:-}" ]; then
        echo "usage: $0 [--log VALGRIND_LOG]" >&2
        exit 2
    fi
    analyse_log "$2"
    exit
fi
"$root/tools/setup-debian.sh" test valgrind
require_tools cmake Xvfb xdotool valgrind
run_clock_under_valgrind
if ! analyse_log "$log"; then
    echo "FAIL: valgrind found leaks or errors in our code (full log: $log)" >&2
    exit 1
fi
echo "PASS: no definite leak and no memory error in our code (full log: $log)"
