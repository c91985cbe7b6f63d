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
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"
build=$folder
declare -A binary_of=([clock]=$build/chronwick [reference]=$build/bench/reference_loop)
runner=()
# clock_folder links the fonts and pictures from here.
runtime_dir=$build/runtime
require_built bench "${binary_of[@]}" "$probe" "$runtime_dir/Fonts" "$runtime_dir/graphics"
# Tools of its own, beside the test tools: ps, pidstat and GNU time.
"$root/tools/setup-debian.sh" test procps sysstat time
require_tools pidstat ps /usr/bin/time

# A fresh working folder as the clock expects it, with the default settings saved in it.
make_folder() {
    clock_folder "$1"
    printf '12\n1\n680\n100\n' >"$1/config.cwk"
}
in_session() {
    env DISPLAY="${display_of[$1]}" SDL_VIDEODRIVER=x11 "${@:2}"
}

# figure NAME: the value of a figure gathered so far, or "none".
figure() {
    awk -v k="$1" '$1 == k { $1 = ""; sub(/^ /, ""); print; found = 1 } END { if (!found) print "none" }' \
        "$work/figures"
}

# Each program on an X server of its own, the same one for all its runs.
start_servers
time_launches launches "$launches"
cat >"$work/figures" <<EOT
seconds $seconds
clock_window_ms $(median window_ms clock launches)
reference_window_ms $(median window_ms reference launches)
first_frame_ms $(median first_frame_ms clock launches)
first_frame_cpu_ms $(median first_frame_cpu_ms clock launches)
EOT
if [ "$(figure first_frame_ms)" = none ]; then
    echo "process.sh: the clock never showed its background; its output:" >&2
    cat "$work/clock-launches-1/output.log" >&2
    exit 1
fi

# The SDL 1.2 stack process $1 runs on, from the libraries it has mapped, as one word.
stack_of() {
    case $(cat "/proc/$1/maps") in
    *libSDL3.so*) echo sdl12-compat/SDL3 ;;
    *libSDL2-2.0.so*) echo sdl12-compat/SDL2 ;;
    *) echo classic ;;
    esac
}

# side_by_side LIBRARY ENV...: runs the clock and the reference loop at once for $seconds s, each
# under its own Xvfb and GNU time, with the environment given; adds "LIBRARY_PROGRAM_NAME value"
# figures to $work/figures.
side_by_side() {
    local library=$1 program folder
    shift
    echo "Running the clock and the reference loop side by side for $seconds s ($library)..." >&2
    local -A pid_of=() timer_of=()
    for program in reference clock; do
        folder=$work/$library-$program
        make_folder "$folder"
        (cd "$folder" && exec env DISPLAY="${display_of[$program]}" SDL_VIDEODRIVER=x11 "$@" \
            /usr/bin/time -f '%M %e %U %S' -o time "${binary_of[$program]}") >"$folder/output.log" 2>&1 &
        timer_of[$program]=$!
        for _ in $(seq 100); do
            pid_of[$program]=$(pgrep -P "$!") && break
            sleep 0.01
        done
    done
    local pids=("${pid_of[clock]}" "${pid_of[reference]}" "${xvfb_of[clock]}" "${xvfb_of[reference]}")
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
    # pidstat's lines over the whole run and from $steady_from s on, then GNU time's report, whose
    # processor time runs from exec on, which pidstat, started once the program runs, would miss.
    # Side CPU is that of the threads besides the main one (SDL's timer thread where SDL_Init left
    # it running).
    for program in reference clock; do
        awk -v name="${library}_$program" -v pid="${pid_of[$program]}" -v x="${xvfb_of[$program]}" '
            function out(key, value) { print name "_" key, value }
            FILENAME == ARGV[1] { whole[$1] = $2; side[$1] = $3 }
            FILENAME == ARGV[2] { steady[$1] = $2; wakeups[$1] = $4; threads[$1] = $6 }
            FILENAME == ARGV[3] && NF == 4 { cpu = sprintf("%.2f", 100 * ($3 + $4) / $2); peak = $1 }
            END {
                out("threads", threads[pid]); out("wakeups_per_s", wakeups[pid])
                out("cpu_pct", cpu); out("peak_kb", peak); out("side_cpu_pct", side[pid])
                out("steady_cpu_pct", steady[pid]); out("xserver_cpu_pct", whole[x])
                out("xserver_steady_cpu_pct", steady[x])
            }' "$work/$library-whole.txt" "$work/$library-steady.txt" "$work/$library-$program/time" \
            >>"$work/figures"
    done
    if grep -q '^failed' "$work/$library-clock/output.log"; then
        echo "process.sh: warning: the clock reported failures ($library):" >&2
        sort "$work/$library-clock/output.log" | uniq -c | grep failed >&2
    fi
}

side_by_side default "${launcher_hints[@]}"
if [ "$(figure default_stack)" != classic ]; then
    # The same without the launcher's hints, to show what they save.
    side_by_side default_gl
fi
# The compat runtime beside classic SDL 1.2 is picked by its private folder.
if compat_dir=$(sh "$root/tools/sdl_runtime.sh" --compat-folder); then
    side_by_side compat LD_LIBRARY_PATH="$compat_dir" "${launcher_hints[@]}"
    side_by_side compat_gl LD_LIBRARY_PATH="$compat_dir"
fi
mapfile -t libraries < <(sed -n 's/_stack .*//p' "$work/figures")

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { if (a == "none" || b == "none" || b == 0) print "-"; else printf "%.2f", a / b }'
}
megabytes() {
    awk -v kb="$1" 'BEGIN { printf "%.1f", kb * 1024 / 1e6 }'
}
line() {
    printf '%-46s %10s %10s %8s\n' "$@"
}

# default_row LABEL NAME [CONVERT]: the clock's and the reference loop's figure NAME on the
# default runtime, each shown through CONVERT when given, and their ratio.
default_row() {
    local clock reference
    clock=$(figure "default_clock_$2")
    reference=$(figure "default_reference_$2")
    line "$1" "$(${3:-echo} "$clock")" "$(${3:-echo} "$reference")" "$(ratio "$clock" "$reference")"
}

declare -A library_names=([default]="$(figure default_stack), launcher"
    [default_gl]="$(figure default_stack), SDL defaults"
    [compat]="$(figure compat_stack) (folder), launcher"
    [compat_gl]="$(figure compat_stack) (folder), defaults")
line "Whole process, $(figure default_stack), 680 x 100" clock reference ratio
default_row "CPU % of one core, exec to ${seconds} s" cpu_pct
default_row "  of which threads other than main" side_cpu_pct
default_row "CPU % of one core, ${steady_from} s to ${seconds} s" steady_cpu_pct
default_row "X server CPU %, exec to ${seconds} s" xserver_cpu_pct
default_row "X server CPU %, ${steady_from} s to ${seconds} s" xserver_steady_cpu_pct
default_row "Peak RSS (GNU time), MB of 10^6 bytes" peak_kb megabytes
line "Exec to window mapped, ms (median of $launches)" "$(figure clock_window_ms)" \
    "$(figure reference_window_ms)" "$(ratio "$(figure clock_window_ms)" "$(figure reference_window_ms)")"
line "Exec to first frame, ms (median of $launches)" "$(figure first_frame_ms)" - -
line "CPU used by the first frame, ms" "$(figure first_frame_cpu_ms)" - -
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

if [ -n "${PROCESS_RESULTS:-}" ]; then
    cp "$work/figures" "$PROCESS_RESULTS"
fi
