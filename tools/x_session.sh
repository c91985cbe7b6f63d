# shellcheck shell=bash
# Shared by the scripts that run the clock in a real window (sourced, not run): builds the
# clock, starts a private Xvfb and runs the clock in a private folder on it. Every process started here is remembered by its PID
# and only those are stopped on exit.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD:-$root/build}
case "$build" in /*) ;; *) build="$root/$build" ;; esac

started_pids=()
work_dir=""

stop_started() {
    local pid
    for pid in "${started_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${started_pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    started_pids=()
    if [ -n "$work_dir" ]; then
        rm -rf "$work_dir"
    fi
}
trap stop_started EXIT

require_tools() {
    local tool
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "$tool is missing: run tools/setup-debian.sh" >&2
            exit 1
        fi
    done
}

build_clock() {
    echo "Building the clock in $build"
    cmake -S "$root" -B "$build" >/dev/null
    cmake --build "$build" -j"$(nproc)" --target chronwick runtime_fonts runtime_graphics >/dev/null
}

# Starts Xvfb on the first display number with no server, socket or lock behind it. Should
# another Xvfb take the same number at the same moment, ours exits and the next number is tried.
start_xvfb() {
    local n pid
    for n in $(seq 90 190); do
        if [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; then
            continue
        fi
        Xvfb ":$n" -noreset -screen 0 1280x1024x24 -nolisten tcp >"$work_dir/xvfb.log" 2>&1 &
        pid=$!
        started_pids+=("$pid")
        for _ in $(seq 100); do
            if ! kill -0 "$pid" 2>/dev/null; then
                break
            fi
            if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
                export DISPLAY=":$n"
                echo "Xvfb is up on $DISPLAY"
                return
            fi
            sleep 0.1
        done
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        forget_pid "$pid"
    done
    cat "$work_dir/xvfb.log" >&2
    echo "Xvfb could not be started on any display from :90 to :190" >&2
    exit 1
}

# A private folder for the clock: links to the runtime fonts and pictures, no settings file, so
# that the clock starts at its defaults and nothing of the user's changes.
make_work_dir() {
    work_dir=$(mktemp -d /tmp/chronwick-reliability-XXXXXX)
    mkdir "$work_dir/run"
    ln -s "$build/runtime/Fonts" "$work_dir/run/Fonts"
    ln -s "$build/runtime/graphics" "$work_dir/run/graphics"
}

# Starts "$@" (the clock, possibly under a wrapper) in the private folder; sets clock_pid.
forget_pid() {
    local kept=() pid
    for pid in "${started_pids[@]}"; do
        [ "$pid" = "$1" ] || kept+=("$pid")
    done
    started_pids=("${kept[@]}")
}

start_clock_process() {
    (cd "$work_dir/run" && exec env SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$@") \
        >"$work_dir/clock.out" 2>"$work_dir/clock.err" &
    clock_pid=$!
    started_pids+=("$clock_pid")
}

# Waits up to $1 seconds for the clock's window; sets window_id.
wait_for_window() {
    window_id=$(timeout "$1" xdotool search --sync --name 'Quillmark' 2>/dev/null | head -n 1) || true
    if [ -z "$window_id" ]; then
        echo "The clock's window did not appear within $1 s; its output:" >&2
        tail -n 20 "$work_dir/clock.out" "$work_dir/clock.err" >&2
        exit 1
    fi
}

# Gives the window the keyboard focus and presses the keys, one every 0.3 s, so that the clock
# (one event a 50 ms pass, two events a key) works off each before the next.
press_keys() {
    xdotool windowfocus --sync "$window_id"
    local key
    for key in "$@"; do
        xdotool key "$key"
        sleep 0.3
    done
}

key_lines() {
    grep -c '^Key pressed ' "$work_dir/clock.out" || true
}

# Waits up to $1 seconds for the clock to end by itself; returns its exit status.
wait_for_exit() {
    local waited=0
    while kill -0 "$clock_pid" 2>/dev/null; do
        if [ "$waited" -ge "$1" ]; then
            echo "The clock did not end within $1 s" >&2
            return 124
        fi
        sleep 1
        waited=$((waited + 1))
    done
    local status=0
    wait "$clock_pid" || status=$?
    forget_pid "$clock_pid"
    return "$status"
}
