# shellcheck shell=bash disable=SC2034
# The one way to run the clock in a real window for tests, benchmarks and tools (sourced, not
# run, before the script shifts its arguments). The script runs again as the first process of a
# PID namespace of its own, so every process it starts ends with it, however it ends (ctest's
# time limit and kill -9 included). On exit it sends TERM to all of them at once, and KILL to
# what is left after 2 s: a clock that no longer polls its events never sees SDL's quit event.
#   start_xvfb            a private X server (sets DISPLAY, xvfb_display and xvfb_pid)
#   start_sway            a private headless Wayland compositor without X (sets sway_session,
#                         sway_user and sway_ipc); then the clock starts in it, and sway_type
#                         types keys there
#   clock_folder DIR      a folder to run the clock in, linking the built Fonts/ and graphics/
#   start_clock_in DIR [NAME=value...] PROGRAM...
#                         runs the program (the clock, possibly under a wrapper) in DIR through X
#                         or sway, its output in DIR/out.txt and DIR/err.txt; sets clock_pid
#   clock_alive, wait_for_window SECONDS, wait_for_exit SECONDS, press_keys KEY...,
#   key_lines DIR         the clock's state, window and keys
#   process_figures SECONDS PID...
#                         processor time and wake-ups of processes over the next SECONDS
#   pid_namespace         the command words that run a program in a PID namespace of its own
#   launcher_hints        the SDL hints the launcher sets, as NAME=value words

# A driver may source this before the library it includes does: the first time counts.
[ -z "${x_session_dir:-}" ] || return 0
pid_namespace=(unshare --pid --kill-child --mount-proc)
[ "$(id -u)" -eq 0 ] || pid_namespace+=(--map-current-user)
if [ "$$" -ne 1 ]; then
    if "${pid_namespace[@]}" true 2>/dev/null; then
        exec "${pid_namespace[@]}" bash "$0" "$@"
    fi
    echo "x_session: no PID namespace to be had; a hard kill may leave processes behind" >&2
fi

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD:-$root/build}
case "$build" in /*) ;; *) build="$root/$build" ;; esac

xvfb_display="" xvfb_pid="" sway_ipc="" clock_pid="" window_id=""
sway_user=() sway_session=()
x_session_dir=$(mktemp -d "${TMPDIR:-/tmp}/chronwick-x.XXXXXX")

# Ends every process the script started, with whatever they started in turn: in the namespace,
# "every process but the first" is -1; without one, the script's own jobs.
stop_started() {
    trap '' TERM INT
    local targets=(-1) tenth
    # shellcheck disable=SC2207
    [ "$$" -eq 1 ] || targets=($(jobs -p))
    if [ ${#targets[@]} -gt 0 ] && kill -TERM -- "${targets[@]}" 2>/dev/null; then
        for ((tenth = 0; tenth < 20; ++tenth)); do
            kill -0 -- "${targets[@]}" 2>/dev/null || break
            sleep 0.1
        done
        if kill -KILL -- "${targets[@]}" 2>/dev/null; then
            echo "x_session: processes ignored SIGTERM for 2 s; killed them" >&2
        fi
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
# writes, with a newline, once it accepts connections (-displayfd; Debian 12's xvfb-run -a races
# when scripts start servers side by side), and exports DISPLAY. -noreset keeps it up when its
# last client leaves.
start_xvfb() {
    require_tools Xvfb
    local number_file log pid number=""
    number_file=$(mktemp "$x_session_dir/display.XXXXXX")
    log=${number_file/display./xvfb.}.log
    Xvfb -displayfd 5 -noreset -nolisten tcp -screen 0 1280x1024x24 5>"$number_file" >"$log" 2>&1 &
    pid=$!
    for _ in $(seq 200); do
        read -r number <"$number_file" && break
        number=""
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    if [ -z "$number" ]; then
        echo "Xvfb did not start within 10 s; its log:" >&2
        cat "$log" >&2
        exit 1
    fi
    xvfb_display=":$number"
    xvfb_pid=$pid
    export DISPLAY=$xvfb_display
    echo "Xvfb is up on $DISPLAY"
}

# The SDL hints the installed launcher sets, as NAME=value words, read from the launcher itself:
# the clock is measured and tested as the launcher starts it.
# shellcheck disable=SC2016 # a literal ${ in the pattern
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

# Types on a virtual keyboard in the sway session (wtype's arguments); a new virtual keyboard
# needs a moment before its keys reach the focused window.
sway_type() {
    "${sway_user[@]}" env "${sway_session[@]}" timeout 15 wtype -s 1500 "$@"
}

# A folder for the clock: links to the built fonts and pictures, no settings file, so that the
# clock starts at its defaults and nothing of the user's changes.
runtime_dir=$build/runtime
clock_folder() {
    mkdir -p "$1"
    ln -s "$runtime_dir/Fonts" "$1/Fonts"
    ln -s "$runtime_dir/graphics" "$1/graphics"
}

# Once sway runs, the clock runs in its session instead: as its user (DIR must be theirs), on
# Wayland, without X.
start_clock_in() {
    local dir=$1 session=(env SDL_VIDEODRIVER=x11)
    shift
    [ -z "$sway_ipc" ] ||
        session=("${sway_user[@]}" env -u DISPLAY "${sway_session[@]}" SDL_VIDEODRIVER=wayland)
    (cd "$dir" && exec "${session[@]}" SDL_AUDIODRIVER=dummy "$@") \
        >"$dir/out.txt" 2>"$dir/err.txt" </dev/null &
    clock_pid=$!
}

# A child the shell has reaped (it does so as soon as the child ends) cannot be signalled.
clock_alive() {
    [ -n "$clock_pid" ] && kill -0 "$clock_pid" 2>/dev/null
}

# Waits up to $1 seconds for the clock's window (on X it sets window_id). Gives up at once when the
# clock ends first.
wait_for_window() {
    local twentieth
    window_id=""
    for ((twentieth = 0; twentieth < $1 * 20; ++twentieth)); do
        if [ -n "$sway_ipc" ]; then
            "${sway_user[@]}" env "${sway_session[@]}" swaymsg -s "$sway_ipc" -t get_tree 2>/dev/null |
                grep -q Quillmark && return 0
        else
            window_id=$(xdotool search --name Quillmark 2>/dev/null | head -n 1) || true
            [ -z "$window_id" ] || return 0
        fi
        clock_alive || break
        sleep 0.05
    done
    echo "The clock showed no window within $1 s$(clock_alive || echo ': it has ended')" >&2
    return 1
}

# Waits up to $1 seconds for the clock to end by itself; returns its exit status (124: it did
# not end).
wait_for_exit() {
    local tenth status=0
    for ((tenth = 0; tenth < $1 * 10; ++tenth)); do
        clock_alive || break
        sleep 0.1
    done
    clock_alive && return 124
    wait "$clock_pid" || status=$?
    clock_pid=""
    return "$status"
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
    grep -c '^Key pressed ' "$1/out.txt" || true
}

# process_figures SECONDS PID...: over the next SECONDS, a line a process: "PID cpu_pct
# side_cpu_pct wakeups_per_s side_wakeups_per_s threads name" from pidstat (sysstat), where side
# means the threads besides the main one and a wake-up is a context switch of any of its threads.
# PID ALL takes every process pidstat sees (in a PID namespace, those of the namespace).
process_figures() {
    local seconds=$1
    shift
    LC_ALL=C pidstat -h -u -w -t -p "$(IFS=,; echo "$*")" "$seconds" 1 | awk '
        $1 == "#" { for (i = 2; i <= NF; i++) col[$i] = i - 1; next }
        NF && col["TGID"] {
            if ($col["TID"] == "-") {
                pid = $col["TGID"]; cpu[pid] = $col["%CPU"]; name[pid] = $col["Command"]; next
            }
            switches = $col["cswch/s"] + $col["nvcswch/s"]
            threads[pid]++
            wakeups[pid] += switches
            if ($col["TID"] != pid) { side[pid] += $col["%CPU"]; side_wakeups[pid] += switches }
        }
        END {
            for (pid in cpu)
                print pid, cpu[pid], side[pid] + 0, wakeups[pid] + 0, side_wakeups[pid] + 0, threads[pid], name[pid]
        }'
}
