# shellcheck shell=bash disable=SC2034,SC2016,SC2120
# Shared driver of the end-to-end scenarios, sourced by each of them with the arguments
#   CLOCK RUNTIME_DIR FIT_SIZE CLOSE_WINDOW [scenario arguments...]
# It runs the built clock the way a person does: in a fresh folder that links the runtime Fonts/
# and graphics/, in a real X window on a private Xvfb display, with real key presses and window
# operations, and checks what that person would see and get. Given the Windows zip as CLOCK (and
# - as RUNTIME_DIR), it runs the Windows clock under wine instead (tests/windows/clock_lib.sh).
set -euo pipefail

# The private X server and the cleanup of every process a scenario starts.
# shellcheck source=tools/x_session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/x_session.sh"

clock_bin=$1 runtime_dir=$2 fit_size_bin=$3 close_window_bin=$4
shift 4

readonly normal_caption="Chronwick a Klingon Clock - Quillmark 2006"
readonly birthday_caption="QA TLHO' From Quillmark"

work=$(mktemp -d "${TMPDIR:-/tmp}/chronwick-e2e.XXXXXX")
run_dir="" clock_pid="" win=""
# What differs between the builds: how the clock and the fit-size helper start in a run folder,
# where the clock writes its output, how far its key codes lie below X keycodes (the scenarios
# name X keycodes), its line end in config.cwk, and how long it may take to end.
platform=linux
clock_command=("$clock_bin")
fit_size_command=("$fit_size_bin")
clock_output_file=out.txt
key_code_offset=0
settings_line_end=$'\n'
quit_seconds=2

# The clock's standard output so far, line ends without CR.
clock_output() {
    tr -d '\r' <"$run_dir/$clock_output_file" 2>/dev/null || true
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cleanup() {
    local status=$? clock_status=0
    if [[ -n $clock_pid ]] && ! clock_alive; then
        wait "$clock_pid" 2>/dev/null || clock_status=$?
        echo "--- the clock had ended by itself with status $clock_status" >&2
        clock_pid=""
    fi
    stop_started
    if ((status == 0)) && [[ -z ${E2E_KEEP:-} ]]; then
        rm -rf "$work"
    else
        if [[ -n $run_dir && -f $run_dir/$clock_output_file ]]; then
            echo "--- the clock's standard output (last 20 lines):" >&2
            clock_output | tail -n 20 >&2
        fi
        echo "--- files kept in $work" >&2
    fi
}
trap cleanup EXIT
trap 'fail "stopped by a signal"' TERM INT

# Makes a fresh folder for a run and makes it the current one; Fonts/ and graphics/ link to the
# runtime folder unless the scenario replaces them.
new_folder() {
    run_dir=$work/$1
    clock_folder "$run_dir"
}

# Replaces the folder's runtime $1 (Fonts or graphics) with a folder of links to each of its
# files but the ones named after it.
leave_out() {
    local folder=$1 file
    shift
    rm -r "${run_dir:?}/$folder"
    mkdir "$run_dir/$folder"
    for file in "$runtime_dir/$folder"/*; do
        [[ " $* " == *" ${file##*/} "* ]] || ln -s "$file" "$run_dir/$folder/"
    done
}

# Starts the clock in the current folder (after "env"-style assignments given as arguments),
# waits for its window, gives it the keyboard focus and waits until the frame loop draws.
start_clock() {
    start_clock_in "$run_dir" "$@" "${clock_command[@]}"
    wait_for_window 20 || fail "no clock window: $(tail -n 3 "$run_dir/err.txt")"
    win=$window_id
    timeout 5 xdotool windowfocus --sync "$win" || fail "could not give the window the focus"
    wait_drawn
}

# Sets clock_at to the assignments that start the clock at the local time $1 ("YYYY-MM-DD
# hh:mm:ss", UTC), from which its clock runs on: through libfaketime itself rather than the
# faketime wrapper, so that the clock keeps its own PID.
at_time() {
    local libraries=(/usr/lib/*/faketime/libfaketime.so.1)
    [[ -f ${libraries[0]} ]] || fail "libfaketime is missing (Debian package faketime)"
    clock_at=(TZ=UTC LD_PRELOAD="${libraries[0]}" FAKETIME="@$1")
}

# Waits for a frame drawn at the window's current size. The frame that changes the size shows
# no background (it was painted before the change), so until then the bottom right corner, where
# nothing else is ever drawn, lacks the background colour.
wait_drawn() {
    local size stray deadline=$((SECONDS + 10))
    while ((SECONDS < deadline)); do
        size=$(window_size)
        clock_alive || fail "the clock ended before drawing a whole frame"
        [[ $size != x ]] || { sleep 0.1 && continue; } # between an old window and its new one
        stray=$(count_pixels "$(shot corner)" $((${size%x*} - 2)) $((${size#*x} - 2)) 1 1 \
            "$not_background" 2>/dev/null) || true
        [[ $stray != 0 ]] || return 0
        sleep 0.1
    done
    fail "the clock drew no whole $size frame within 10 s"
}

# Finds the clock's window afresh: the compat runtime from 1.2.69 on opens a new window for
# every change of size. While the old one is gone and the new one not yet up, $win stays.
find_window() {
    local found
    found=$(xdotool search --name Quillmark 2>/dev/null | head -n 1) || true
    [[ -z $found ]] || win=$found
}

# Waits (up to 5 s) until the same window is found twice 0.2 s apart: a key typed into a window
# that the clock is about to replace (a fit starts in the pass that reports the key before it)
# would be lost with it.
settle_window() {
    local previous=""
    for _ in {1..25}; do
        find_window
        [[ $win == "$previous" ]] && return 0
        previous=$win
        sleep 0.2
    done
}

window_size() {
    find_window
    { xwininfo -id "$win" 2>/dev/null || true; } | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}'
}

# Waits (up to 5 s) for the window to measure $1 ("WxH"); $2 says why that size is expected.
expect_size() {
    local seen
    for _ in {1..100}; do
        seen=$(window_size)
        [[ $seen == "$1" ]] && return 0
        sleep 0.05
    done
    fail "expected a $1 window ($2), saw $seen"
}

# The window measures $1 now and still does a dozen frames later: no fit happened.
expect_size_kept() {
    local seen
    for _ in 1 2; do
        seen=$(window_size)
        [[ $seen == "$1" ]] || fail "expected the window to stay $1 ($2), saw $seen"
        sleep 0.6
    done
}

expect_caption() {
    local seen
    find_window
    seen=$(xprop -id "$win" WM_NAME | sed -n 's/^WM_NAME([A-Z_0-9]*) = "\(.*\)"$/\1/p')
    [[ $seen == "$1" ]] || fail "expected the caption \"$1\", saw \"$seen\""
}

# The clock's whole standard output so far equals the lines given, where "Key pressed N " names
# the X keycode N.
expect_output() {
    local expected seen line
    expected=$(for line; do
        [[ ! $line =~ ^Key\ pressed\ ([0-9]+)\ $ ]] ||
            line="Key pressed $((BASH_REMATCH[1] - key_code_offset)) "
        printf '%s\n' "$line"
    done)
    seen=$(clock_output)
    [[ $seen == "$expected" ]] ||
        fail "expected the output"$'\n'"$expected"$'\n'"--- saw"$'\n'"$seen"
}

count_lines() {
    clock_output | grep -c -x -F -- "$1" || true
}

key_reports() {
    clock_output | grep -c '^Key pressed ' || true
}

# A real key press and release of keysym $1; waits until the clock reports the release with the
# X keycode $2 (less the build's offset).
press() {
    local before last code=$(($2 - key_code_offset))
    before=$(key_reports)
    settle_window
    xdotool windowfocus --sync "$win" 2>/dev/null || true
    xdotool key "$1"
    for _ in {1..100}; do
        (($(key_reports) > before)) && break
        sleep 0.05
    done
    last=$(clock_output | grep '^Key pressed ' | tail -n 1) || true
    [[ $last == "Key pressed $code " && $(key_reports) -eq $((before + 1)) ]] ||
        fail "after pressing $1 expected a new line \"Key pressed $code \", the last is \"$last\""
}

# Resizes the window by hand, as a window manager does, and waits for the clock to follow. The
# window goes to the top left first, as a person makes room before dragging a window larger: with
# no window manager, SDL 2 (under the compat runtime) centres a new window, and an 800 x 600 one
# grown from there would reach past the bottom of the screen, where no screenshot sees it.
hand_resize() {
    settle_window
    xdotool windowmove --sync "$win" 0 0
    xdotool windowsize "$win" "$1" "$2"
    expect_size "$1x$2" "resized by hand"
    wait_drawn
}

# Waits (up to $1 s, by default the build's $quit_seconds) for the clock to end, which it must do
# with status 0.
wait_exit() {
    local status=0 seconds=${1:-$quit_seconds}
    wait_for_exit "$seconds" || status=$?
    ((status != 124)) || fail "the clock still runs $seconds s after being told to quit"
    ((status < 128)) || fail "the clock died from signal $((status - 128))"
    ((status == 0)) || fail "the clock exited with status $status, expected 0"
}

# Quits with Esc, as every run ends.
quit_clock() {
    press Escape 9
    wait_exit
}

# Waits (up to 3 s) for the settings file to hold exactly the lines given.
expect_settings() {
    for _ in {1..60}; do
        cmp -s "$run_dir/config.cwk" <(printf "%s$settings_line_end" "$@") && return 0
        sleep 0.05
    done
    fail "expected config.cwk to hold $(printf "%s$settings_line_end" "$@" | od -An -c | tr -s ' \n' ' '), it holds $(
        od -An -c "$run_dir/config.cwk" 2>&1 | tr -s ' \n' ' ')"
}

# Presses the keys of a table read from descriptor 3, a line a key: the key, the code its release
# reports, then the font index, layout and seconds shown of the fit it makes ("legend": the
# legend's size; "kept": a hand-made size stays), and why.
press_key_table() {
    local key code font layout seconds why
    while read -r -u 3 key code font layout seconds why; do
        [[ $font != kept ]] || hand_resize 777 222
        press "$key" "$code"
        case $font in
        legend) expect_size 500x110 "$why" ;;
        kept) expect_size_kept 777x222 "$why" ;;
        *) expect_size "$(fit_size "$font" "$layout" "$seconds")" "$why" ;;
        esac
    done
}

write_settings() {
    printf '%s' "$1" >"$run_dir/config.cwk"
}

# The size ("WxH") a fitted clock view must have for font index $1, layout $2 and seconds shown
# ($3 = 1) or not, from the clock's own sizing on the font file itself.
fit_size() {
    (cd "$runtime_dir" && "${fit_size_command[@]}" "$@" | tr -d '\r') ||
        fail "cannot work out the fit of font $1"
}

# Takes a screenshot of the window as $work/$1.png and prints that file name.
shot() {
    # import can wait for ever on a window that is gone, and fails on one replaced meanwhile.
    find_window
    timeout 10 import -window "$win" "$work/$1.png" 2>/dev/null ||
        { sleep 0.2 && find_window && timeout 10 import -window "$win" "$work/$1.png"; } ||
        fail "import could not take a screenshot$(clock_alive || echo ': the clock has ended')"
    echo "$work/$1.png"
}

# The pixel classes and count_pixels.
# shellcheck source=tests/e2e/pixels.sh
source "$(dirname "${BASH_SOURCE[0]}")/pixels.sh"

# expect_pixels IMAGE X Y W H CLASS LEAST MOST WHAT: the region has LEAST to MOST such pixels.
expect_pixels() {
    local n
    n=$(count_pixels "${@:1:6}")
    ((n >= $7 && n <= $8)) ||
        fail "expected $7 to $8 $9 pixels at $2,$3 (${4}x$5) of ${1##*/}, found $n"
}

if [[ $clock_bin == *.zip ]]; then
    # shellcheck source=tests/windows/clock_lib.sh
    source "$(dirname "${BASH_SOURCE[0]}")/../windows/clock_lib.sh"
fi
