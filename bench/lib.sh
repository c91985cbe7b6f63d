# shellcheck shell=bash disable=SC2034,SC2154
# What the whole-process measurements share (bench/process.sh, bench/windows.sh), sourced with
# the script's one argument, its build folder (set as $folder), before anything else:
#   seconds, launches, steady_from
#                         the run's length (PROCESS_SECONDS, default 20), the launches timed
#                         (FIRST_FRAME_LAUNCHES, default 3) and when the steady state starts
#   work                  a scratch folder, removed at exit
#   require_built TARGET FILE...
#                         stops, saying to run make TARGET, where a file is missing
#   start_servers         an Xvfb for each program, the clock and the reference loop (sets
#                         display_of and xvfb_of)
#   time_launches SET COUNT
#                         COUNT launches of each program under the native build's
#                         first_frame_probe, which ends it once it has its figures; the probe's
#                         lines go to $work/PROGRAM-SET. The script defines make_folder DIR (a run
#                         folder), in_session PROGRAM COMMAND... (COMMAND on its X server),
#                         binary_of (each program) and runner (the words before it, if any)
#   median NAME PROGRAM SET
#                         the median of the probe's figure NAME over those launches, or "none"
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_FOLDER" >&2
    exit 2
fi
# The private X servers, and the cleanup of every program started under them.
# shellcheck source=tools/x_session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../tools/x_session.sh"
folder=$(cd "$1" && pwd)
seconds=${PROCESS_SECONDS:-20}
launches=${FIRST_FRAME_LAUNCHES:-3}
steady_from=5
[ "$seconds" -gt "$steady_from" ] || steady_from=0
probe=$build/bench/first_frame_probe
work=$(mktemp -d /tmp/chronwick-process.XXXXXX)
trap 'stop_started; rm -rf "$work"' EXIT

require_built() {
    local file
    for file in "${@:2}"; do
        if [ ! -e "$file" ]; then
            echo "$0: $file is missing: build first (make $1)" >&2
            exit 1
        fi
    done
}

start_servers() {
    declare -gA display_of=() xvfb_of=()
    local program
    for program in clock reference; do
        start_xvfb >&2
        display_of[$program]=$xvfb_display xvfb_of[$program]=$xvfb_pid
    done
}

time_launches() {
    local launch program folder options
    echo "Timing $2 launches of the clock and of the reference loop to their first frame..." >&2
    for launch in $(seq "$2"); do
        for program in clock reference; do
            folder=$work/$program-$1-$launch
            make_folder "$folder"
            options=()
            [ "$program" = clock ] || options=(--window-only)
            (cd "$folder" && in_session "$program" "$probe" "${options[@]}" "${runner[@]}" \
                "${binary_of[$program]}") \
                2>"$folder/output.log" >>"$work/$program-$1" || true
        done
        sleep 0.5
    done
}

median() {
    awk -v k="$1" '$1 == k && $2 != "none" { print $2 }' "$work/$2-$3" | sort -g |
        awk '{ v[NR] = $1 } END { print NR ? v[int((NR + 1) / 2)] : "none" }'
}
