# shellcheck shell=bash disable=SC2034
# The one way to run the clock in a real window for tests, benchmarks and tools (sourced, not
# run). It starts private Xvfb servers, runs the clock in a private folder on them, and remembers
# every process it or its caller starts. On exit (and on TERM or INT) it stops only those, with
# everything they started in turn, and then the X servers:
#   start_xvfb            a private server (sets DISPLAY, xvfb_display and xvfb_pid)
#   start_sway            a private headless Wayland compositor without X (sets sway_session,
#                         sway_user and sway_ipc; sway_shows TEXT looks for a window title)
#   register_pid PID      a process the caller started in the background, to be stopped on exit
#   stop_started          the cleanup itself; a caller with an EXIT trap of its own calls it
#   launcher_hints        the SDL hints the launcher sets, as NAME=value words
# A clock that no longer polls its events ignores SIGTERM (SDL turns it into a quit event), so
# whatever still runs after a grace period gets SIGKILL.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD:-$root/build}
case "$build" in /*) ;; *) build="$root/$build" ;; esac

started_pids=()
declare -A started_at=()
xvfb_pids=()
xvfb_pid=""
xvfb_display=""
sway_user=()
sway_session=()
sway_ipc=""
work_dir=""
x_session_dir=$(mktemp -d "${TMPDIR:-/tmp}/chronwick-x.XXXXXX")
readonly x_session_grace_tenths=20

# Remembers process $1 with its start time, so that its PID is never signalled once it has
# been reaped and taken over by a newcomer.
register_pid() {
    started_pids+=("$1")
    started_at[$1]=$(start_time "$1")
}

# The start time of process $1 in clock ticks, or nothing once it has ended.
start_time() {
    local line fields
    read -r line 2>/dev/null <"/proc/$1/stat" || return 0
    read -ra fields <<<"${line##*) }"
    [ "${fields[0]}" = Z ] || echo "${fields[19]}"
}

forget_pid() {
    local kept=() pid
    for pid in "${started_pids[@]}"; do
        [ "$pid" = "$1" ] || kept+=("$pid")
    done
    started_pids=("${kept[@]}")
}

# Prints "PID START" for each given process that still runs and for all its descendants, START
# being its start time in clock ticks, so that a PID taken over by a newcomer is never signalled.
process_tree() {
    local -A children=() start_of=()
    local stat line pid fields queue=("$@")
    for stat in /proc/[0-9]*/stat; do
        read -r line 2>/dev/null <"$stat" || continue
        read -ra fields <<<"${line##*) }"
        [ "${fields[0]}" != Z ] || continue
        pid=${stat#/proc/}
        pid=${pid%/stat}
        children[${fields[1]}]+=" $pid"
        start_of[$pid]=${fields[19]}
    done
    while [ ${#queue[@]} -gt 0 ]; do
        pid=${queue[0]}
        queue=("${queue[@]:1}")
        [ -n "${start_of[$pid]:-}" ] || continue
        echo "$pid ${start_of[$pid]}"
        # shellcheck disable=SC2206
        queue+=(${children[$pid]:-})
    done
}

# Whether process $1 still runs and started at tick $2 (a zombie has ended).
same_process_runs() {
    [ -n "$2" ] && [ "$(start_time "$1")" = "$2" ]
}

# Prints those of the registered PIDs given that still run.
still_running() {
    local pid
    for pid in "$@"; do
        if same_process_runs "$pid" "${started_at[$pid]:-}"; then
            echo "$pid"
        fi
    done
}

# Stops the given processes and all their descendants: SIGTERM, up to 2 s for them to end, then
# SIGKILL for the rest. The tree is taken before the first signal, while the parents still tie
# it together.
stop_trees() {
    local tree=() entry tenth alive root roots=()
    local -A first_start=()
    mapfile -t tree < <(process_tree "$@")
    [ ${#tree[@]} -gt 0 ] || return 0
    for entry in "${tree[@]}"; do
        first_start[${entry% *}]=${entry#* }
    done
    for entry in "${tree[@]}"; do
        kill -TERM "${entry% *}" 2>/dev/null || true
    done
    for ((tenth = 0; tenth < x_session_grace_tenths; ++tenth)); do
        alive=0
        for entry in "${tree[@]}"; do
            if same_process_runs "${entry% *}" "${entry#* }"; then
                alive=1
                break
            fi
        done
        [ "$alive" -eq 1 ] || return 0
        sleep 0.1
    done
    # Children started during the grace period are in the tree taken now, below the roots that
    # are still the same processes.
    for root in "$@"; do
        if same_process_runs "$root" "${first_start[$root]:-}"; then
            roots+=("$root")
        fi
    done
    mapfile -t -O "${#tree[@]}" tree < <(process_tree "${roots[@]}")
    for entry in "${tree[@]}"; do
        if same_process_runs "${entry% *}" "${entry#* }"; then
            echo "x_session: process ${entry% *} ignored SIGTERM for 2 s; killing it"
            kill -KILL "${entry% *}" 2>/dev/null || true
        fi
    done
}

# Stops those of the registered processes given that still run, with their trees, and reaps them.
stop_and_reap() {
    local pid running=()
    mapfile -t running < <(still_running "$@")
    stop_trees "${running[@]}"
    for pid in "$@"; do
        wait "$pid" 2>/dev/null || true
    done
}

stop_started() {
    # A second signal must not cut the cleanup short.
    trap '' TERM INT
    stop_and_reap "${started_pids[@]}"
    started_pids=()
    # The X servers last, once none of their clients is left.
    stop_and_reap "${xvfb_pids[@]}"
    xvfb_pids=()
    if [ -n "$work_dir" ]; then
        rm -rf "$work_dir"
    fi
    rm -rf "$x_session_dir"
}
trap stop_started EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

require_tools() {
    local tool
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "$tool is missing: run tools/setup-debian.sh test" >&2
            exit 1
        fi
    done
}

build_clock() {
    echo "Building the clock in $build"
    cmake -S "$root" -B "$build" >/dev/null
    cmake --build "$build" -j"$(nproc)" --target chronwick runtime_fonts runtime_graphics >/dev/null
}

# Starts a private Xvfb on a display number the server picks itself among the free ones and
# reports (-displayfd), waits until it answers and exports DISPLAY; sets xvfb_display and
# xvfb_pid. -noreset keeps the server up when its last client leaves.
start_xvfb() {
    require_tools Xvfb xdpyinfo
    local number_file log pid number=""
    number_file=$(mktemp "$x_session_dir/display.XXXXXX")
    log=${number_file/display./xvfb.}.log
    Xvfb -displayfd 5 -noreset -nolisten tcp -screen 0 1280x1024x24 5>"$number_file" >"$log" 2>&1 &
    pid=$!
    xvfb_pids+=("$pid")
    started_at[$pid]=$(start_time "$pid")
    for _ in $(seq 200); do
        # The number is written with a newline once the server accepts connections.
        if [ "$(wc -l <"$number_file")" -ge 1 ]; then
            read -r number <"$number_file"
            if xdpyinfo -display ":$number" >/dev/null 2>&1; then
                xvfb_pid=$pid
                xvfb_display=":$number"
                export DISPLAY=$xvfb_display
                echo "Xvfb is up on $DISPLAY"
                return 0
            fi
        fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    echo "Xvfb did not start within 10 s; its log:" >&2
    cat "$log" >&2
    exit 1
}

# The SDL hints the installed launcher sets, as NAME=value words, read from the launcher itself:
# the clock is measured and tested as the launcher starts it.
mapfile -t launcher_hints < <(sed -n 's/^ *\(SDL_[A-Z_]*\)=\${SDL_[A-Z_]*:-\(.*\)}$/\1=\2/p' \
    "$root/packaging/chronwick.sh.in")

# Starts a headless sway with no Xwayland, whose windows float as on a desktop, and waits for
# its Wayland and IPC sockets. sway refuses to run as root: then it runs as nobody, and so must
# its clients, each prefixed with "${sway_user[@]}" (empty otherwise) and given the assignments
# "${sway_session[@]}" (HOME, XDG_RUNTIME_DIR, WAYLAND_DISPLAY) through env, without DISPLAY.
start_sway() {
    require_tools sway swaymsg setpriv
    local dir socket="" log
    dir=$(mktemp -d "$x_session_dir/sway.XXXXXX")
    sway_user=()
    if [ "$(id -u)" -eq 0 ]; then
        sway_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
        chmod 711 "$x_session_dir"
        chown nobody:nogroup "$dir"
    fi
    mkdir -m 700 "$dir/xdg"
    [ ${#sway_user[@]} -eq 0 ] || chown nobody:nogroup "$dir/xdg"
    printf 'xwayland disable\nfor_window [title="Quillmark"] floating enable\n' >"$dir/sway.conf"
    chmod 644 "$dir/sway.conf"
    sway_session=(HOME="$dir" XDG_RUNTIME_DIR="$dir/xdg")
    log="$dir/sway.log"
    "${sway_user[@]}" env -u DISPLAY "${sway_session[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
        WLR_RENDERER=pixman sway -c "$dir/sway.conf" >"$log" 2>&1 &
    local pid=$!
    register_pid "$pid"
    sway_ipc=""
    for _ in $(seq 100); do
        socket=$(find "$dir/xdg" -name 'wayland-*' -type s -printf '%f\n' | head -n 1)
        sway_ipc=$(find "$dir/xdg" -name 'sway-ipc.*' -type s | head -n 1)
        [ -n "$socket" ] && [ -n "$sway_ipc" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$socket" ] || [ -z "$sway_ipc" ]; then
        echo "sway opened no Wayland socket within 10 s; its log:" >&2
        tail -n 5 "$log" >&2
        exit 1
    fi
    sway_session+=(WAYLAND_DISPLAY="$socket")
}

# Whether sway shows a window whose title has $1 in it.
sway_shows() {
    "${sway_user[@]}" env "${sway_session[@]}" swaymsg -s "$sway_ipc" -t get_tree 2>/dev/null |
        grep -q -- "$1"
}

# A private folder for the clock: links to the runtime fonts and pictures, no settings file, so
# that the clock starts at its defaults and nothing of the user's changes.
make_work_dir() {
    work_dir=$(mktemp -d "${TMPDIR:-/tmp}/chronwick-reliability-XXXXXX")
    mkdir "$work_dir/run"
    ln -s "$build/runtime/Fonts" "$work_dir/run/Fonts"
    ln -s "$build/runtime/graphics" "$work_dir/run/graphics"
}

# Starts "$@" (the clock, possibly under a wrapper) in the private folder; sets clock_pid.
start_clock_process() {
    (cd "$work_dir/run" && exec env SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$@") \
        >"$work_dir/clock.out" 2>"$work_dir/clock.err" &
    clock_pid=$!
    register_pid "$clock_pid"
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
