#!/usr/bin/env bash
# bench/process.sh BUILD_DIR
#
# Whole-process figures of the clock at its default settings, each beside the same figure of the
# reference loop (the same SDL start-up and window, then only polling and sleeping 50 ms):
#   - processor time of the process and of its X server over a PROCESS_SECONDS run (default 20),
#     both programs running at once, each under its own Xvfb;
#   - per SDL 1.2 stack (the runtime the clock loads by default: classic SDL 1.2 on Debian 12,
#     sdl12-compat over SDL 2 on 13, over SDL 3 on 14; and the compat runtime through its private
#     folder where it is installed beside classic SDL 1.2), as the launcher starts the clock and,
#     on the compat runtime, also with SDL's defaults: the threads after start-up, the wake-ups a
#     second of the whole process (context switches of all its threads) and the CPU of the
#     process and of its X server, from 5 s on;
#   - peak resident memory;
#   - time from exec to the first frame on screen, watched from outside by first_frame_probe,
#     median of FIRST_FRAME_LAUNCHES separate launches (default 3).
# Processor time comes from GNU time (from exec to the end) and pidstat (sysstat: per thread, the
# X server, and from 5 s on), context switches and threads from pidstat, peak memory from GNU
# time. PROCESS_RESULTS=FILE also writes the figures there as "name value" lines (for
# bench/run.sh).
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: bench/process.sh BUILD_DIR" >&2
    exit 2
fi
# The private X servers, and the cleanup of every program started under them.
# shellcheck source=tools/x_session.sh
source "$(dirname "$0")/../tools/x_session.sh"
build=$(cd "$1" && pwd)
seconds=${PROCESS_SECONDS:-20}
launches=${FIRST_FRAME_LAUNCHES:-3}
steady_from=5
if [ "$seconds" -le "$steady_from" ]; then
    steady_from=0
fi

clock=$build/chronwick
reference=$build/bench/reference_loop
probe=$build/bench/first_frame_probe
runtime=$build/runtime
runtime_dir=$runtime
for program in "$clock" "$reference" "$probe"; do
    if [ ! -x "$program" ]; then
        echo "process.sh: $program is missing: build first (make bench)" >&2
        exit 1
    fi
done
if [ ! -d "$runtime/Fonts" ] || [ ! -d "$runtime/graphics" ]; then
    echo "process.sh: $runtime has no Fonts/ or graphics/: build first (make bench)" >&2
    exit 1
fi

work=$(mktemp -d /tmp/chronwick-process.XXXXXX)
trap 'stop_started; rm -rf "$work"' EXIT
# Tools of its own, beside the test tools: ps, pidstat and GNU time.
"$root/tools/setup-debian.sh" test procps sysstat time
require_tools pidstat ps /usr/bin/time

# A fresh working folder as the clock expects it, with the default settings saved in it.
make_folder() {
    clock_folder "$1"
    printf '12\n1\n680\n100\n' >"$1/config.cwk"
}

# median NAME FILE: the median of the probe's figure NAME over the launches reported in FILE.
median() {
    awk -v k="$1" '$1 == k && $2 != "none" { print $2 }' "$2" | sort -g |
        awk '{ v[NR] = $1 } END { print NR ? v[int((NR + 1) / 2)] : "none" }'
}

# probe_launch DISPLAY PROGRAM FOLDER [--window-only]: one launch of PROGRAM under the probe,
# which ends it once it has its figures and prints them; the program's output goes to FOLDER.
probe_launch() {
    local display=$1 program=$2 folder=$3
    shift 3
    make_folder "$folder"
    (cd "$folder" && exec env DISPLAY="$display" SDL_VIDEODRIVER=x11 "$probe" "$@" "$program") \
        2>"$folder/output.log" || true
}

start_xvfb >&2
clock_display=$xvfb_display
clock_xvfb=$xvfb_pid
start_xvfb >&2
reference_display=$xvfb_display
reference_xvfb=$xvfb_pid

echo "Timing $launches launches of the clock and of the reference loop to their first frame..." >&2
for launch in $(seq "$launches"); do
    probe_launch "$clock_display" "$clock" "$work/launch-$launch" >>"$work/clock-launches"
    probe_launch "$reference_display" "$reference" "$work/reference-$launch" --window-only \
        >>"$work/reference-launches"
    sleep 0.5
done
first_frame_ms=$(median first_frame_ms "$work/clock-launches")
first_frame_cpu_ms=$(median first_frame_cpu_ms "$work/clock-launches")
clock_window_ms=$(median window_ms "$work/clock-launches")
reference_window_ms=$(median window_ms "$work/reference-launches")
if [ "$first_frame_ms" = none ]; then
    echo "process.sh: the clock never showed its background; its output:" >&2
    cat "$work/launch-1/output.log" >&2
    exit 1
fi

# The compat runtime beside classic SDL 1.2 is picked by its private folder.
compat_dir=$(sh "$root/tools/sdl_runtime.sh" --compat-folder) || compat_dir=""

# side_by_side LIBRARY ENV...: runs the clock and the reference loop at once for $seconds s, each
# under its own Xvfb and GNU time, with the environment given; adds "LIBRARY_PROGRAM_NAME value"
# figures to $work/figures.
side_by_side() {
    local library=$1 program binary pid
    shift
    echo "Running the clock and the reference loop side by side for $seconds s ($library)..." >&2
    local -A pid_of=() display_of=([clock]=$clock_display [reference]=$reference_display)
    local -A xvfb_of=([clock]=$clock_xvfb [reference]=$reference_xvfb) timer_of=()
    for program in reference clock; do
        binary=$clock
        [ "$program" = clock ] || binary=$reference
        make_folder "$work/$library-$program"
        (cd "$work/$library-$program" && exec env DISPLAY="${display_of[$program]}" \
            SDL_VIDEODRIVER=x11 "$@" /usr/bin/time -f '%M %e %U %S' -o "$work/$library-$program/time" \
            "$binary") >"$work/$library-$program/output.log" 2>&1 &
        timer_of[$program]=$!
        pid_of[$program]=""
        for _ in $(seq 100); do
            pid_of[$program]=$(pgrep -P "$!") && break
            sleep 0.01
        done
    done
    local pids=("${pid_of[clock]}" "${pid_of[reference]}" "$clock_xvfb" "$reference_xvfb")
    process_figures "$seconds" "${pids[@]}" >"$work/$library-whole.txt" &
    local whole=$!
    sleep "$steady_from"
    process_figures "$((seconds - steady_from))" "${pids[@]}" >"$work/$library-steady.txt"
    wait "$whole"

    for program in reference clock; do
        if ! kill -0 "${pid_of[$program]}" 2>/dev/null; then
            echo "process.sh: the $program ended early ($library); its output:" >&2
            cat "$work/$library-$program/output.log" >&2
            exit 1
        fi
    done
    echo "${library}_stack $(stack_of "${pid_of[clock]}")" >>"$work/figures"
    kill "${pid_of[@]}"
    wait "${timer_of[@]}" || true
    local -A whole_cpu=() side_cpu=() steady_cpu=() wakeups=() threads=()
    while read -r pid cpu side _ _ _; do
        whole_cpu[$pid]=$cpu side_cpu[$pid]=$side
    done <"$work/$library-whole.txt"
    while read -r pid cpu _ wake _ count; do
        steady_cpu[$pid]=$cpu wakeups[$pid]=$wake threads[$pid]=$count
    done <"$work/$library-steady.txt"
    for program in reference clock; do
        pid=${pid_of[$program]}
        local x=${xvfb_of[$program]}
        {
            echo "${library}_${program}_threads ${threads[$pid]}"
            echo "${library}_${program}_wakeups_per_s ${wakeups[$pid]}"
            # From exec on, which pidstat, started once the program runs, would miss.
            tail -n 1 "$work/$library-$program/time" | awk -v name="${library}_${program}" \
                '{ printf "%s_cpu_pct %.2f\n%s_peak_kb %d\n", name, 100 * ($3 + $4) / $2, name, $1 }'
            # The threads besides the main one (SDL's timer thread where SDL_Init left it running).
            echo "${library}_${program}_side_cpu_pct ${side_cpu[$pid]}"
            echo "${library}_${program}_steady_cpu_pct ${steady_cpu[$pid]}"
            echo "${library}_${program}_xserver_cpu_pct ${whole_cpu[$x]}"
            echo "${library}_${program}_xserver_steady_cpu_pct ${steady_cpu[$x]}"
        } >>"$work/figures"
    done
    if grep -q '^failed' "$work/$library-clock/output.log"; then
        echo "process.sh: warning: the clock reported failures ($library):" >&2
        sort "$work/$library-clock/output.log" | uniq -c | grep failed >&2
    fi
}

# The SDL 1.2 stack process $1 runs on, from the libraries it has mapped, as one word.
stack_of() {
    local maps
    maps=$(cat "/proc/$1/maps")
    if [[ $maps == *libSDL3.so* ]]; then
        echo sdl12-compat/SDL3
    elif [[ $maps == *libSDL2-2.0.so* ]]; then
        echo sdl12-compat/SDL2
    else
        echo classic
    fi
}

figure() {
    awk -v k="$1" '$1 == k { $1 = ""; sub(/^ /, ""); print; found = 1 } END { if (!found) print "none" }' \
        "$work/figures"
}

: >"$work/figures"
side_by_side default "${launcher_hints[@]}"
libraries=(default)
if [ "$(figure default_stack)" != classic ]; then
    # The same without the launcher's hints, to show what they save.
    side_by_side default_gl
    libraries+=(default_gl)
fi
if [ -n "$compat_dir" ]; then
    side_by_side compat LD_LIBRARY_PATH="$compat_dir" "${launcher_hints[@]}"
    side_by_side compat_gl LD_LIBRARY_PATH="$compat_dir"
    libraries+=(compat compat_gl)
fi

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { if (a == "none" || b == "none" || b == 0) print "-"; else printf "%.2f", a / b }'
}
megabytes() {
    awk -v kb="$1" 'BEGIN { printf "%.1f", kb * 1024 / 1e6 }'
}

# default_row LABEL NAME [CONVERT]: the clock's and the reference loop's figure NAME on the
# default runtime, each shown through CONVERT when given, and their ratio.
default_row() {
    local clock reference
    clock=$(figure "default_clock_$2")
    reference=$(figure "default_reference_$2")
    printf '%-46s %10s %10s %8s\n' "$1" "$(${3:-echo} "$clock")" "$(${3:-echo} "$reference")" \
        "$(ratio "$clock" "$reference")"
}

declare -A library_names=([default]="$(figure default_stack), launcher" \
    [default_gl]="$(figure default_stack), SDL defaults" \
    [compat]="$(figure compat_stack) (folder), launcher" \
    [compat_gl]="$(figure compat_stack) (folder), defaults")
{
    printf '%-46s %10s %10s %8s\n' "Whole process, $(figure default_stack), 680 x 100" clock reference ratio
    default_row "CPU % of one core, exec to ${seconds} s" cpu_pct
    default_row "  of which threads other than main" side_cpu_pct
    default_row "CPU % of one core, ${steady_from} s to ${seconds} s" steady_cpu_pct
    default_row "X server CPU %, exec to ${seconds} s" xserver_cpu_pct
    default_row "X server CPU %, ${steady_from} s to ${seconds} s" xserver_steady_cpu_pct
    default_row "Peak RSS (GNU time), MB of 10^6 bytes" peak_kb megabytes
    printf '%-46s %10s %10s %8s\n' "Exec to window mapped, ms (median of $launches)" "$clock_window_ms" \
        "$reference_window_ms" "$(ratio "$clock_window_ms" "$reference_window_ms")"
    printf '%-46s %10s %10s %8s\n' "Exec to first frame, ms (median of $launches)" "$first_frame_ms" - -
    printf '%-46s %10s %10s %8s\n' "CPU used by the first frame, ms" "$first_frame_cpu_ms" - -
    echo
    printf '%-38s %-10s %8s %11s %8s %9s\n' "Per stack, ${steady_from} s to ${seconds} s" program threads \
        wake-ups/s "CPU %" "X CPU %"
    for library in "${libraries[@]}"; do
        for program in clock reference; do
            printf '%-38s %-10s %8s %11s %8s %9s\n' "${library_names[$library]}" "$program" \
                "$(figure "${library}_${program}_threads")" \
                "$(figure "${library}_${program}_wakeups_per_s")" \
                "$(figure "${library}_${program}_steady_cpu_pct")" \
                "$(figure "${library}_${program}_xserver_steady_cpu_pct")"
        done
    done
}

if [ -n "${PROCESS_RESULTS:-}" ]; then
    cat >"$PROCESS_RESULTS" <<EOF
seconds $seconds
clock_window_ms $clock_window_ms
reference_window_ms $reference_window_ms
first_frame_ms $first_frame_ms
first_frame_cpu_ms $first_frame_cpu_ms
EOF
    cat "$work/figures" >>"$PROCESS_RESULTS"
fi
