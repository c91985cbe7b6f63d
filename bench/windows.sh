#!/usr/bin/env bash
# bench/windows.sh BUILD_WINDOWS_DIR
#
# Figures of the Windows build, printed as Markdown tables:
#   - the sizes of the zip, the installer, and the chronwick.exe and SDL.dll the zip holds;
#   - under wine, each program from a copy of the unpacked zip at the default settings, on an Xvfb
#     and in a wine prefix of its own, beside the same for the reference loop (the same SDL
#     start-up and window, then only polling and sleeping 50 ms): the time from exec to the
#     window and to the clock's first frame, watched from outside by the native build's
#     first_frame_probe (BUILD, default build/), on the first launch, which starts wine's
#     services, and as the median of FIRST_FRAME_LAUNCHES later ones (default 3);
#   - CPU and wake-ups from 5 s to PROCESS_SECONDS (default 20), both programs running at once:
#     the program's process, the other processes of its wine prefix (wineserver, services.exe,
#     explorer.exe, ...) and its X server, from pidstat (tools/x_session.sh's process_figures).
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: bench/windows.sh BUILD_WINDOWS_DIR" >&2
    exit 2
fi
# shellcheck source=tools/x_session.sh
source "$(dirname "$0")/../tools/x_session.sh"
windows=$(cd "$1" && pwd)
seconds=${PROCESS_SECONDS:-20}
launches=${FIRST_FRAME_LAUNCHES:-3}
steady_from=5
probe=$build/bench/first_frame_probe
zip=$(echo "$windows"/chronwick-*-win64.zip)
declare -A exe_of=([clock]=chronwick.exe [reference]=reference_loop.exe)
for file in "$zip" "${zip%.zip}-setup.exe" "$windows/reference_loop.exe" "$probe"; do
    if [ ! -f "$file" ]; then
        echo "windows.sh: $file is missing: build first (make bench-windows)" >&2
        exit 1
    fi
done
"$root/tools/setup-debian.sh" test procps sysstat wine unzip
require_tools pidstat unzip
# shellcheck source=tests/windows/wine_lib.sh
source "$root/tests/windows/wine_lib.sh"
work=$wine_scratch
# Both wineservers first, so that the programs they run end at once.
stop_wine() {
    local program
    for program in clock reference; do
        WINEPREFIX=$work/$program timeout 10 wineserver -k 2>/dev/null || true
    done
    wine_stop
}
trap 'stop_wine; stop_started' EXIT

# Sizes in bytes, and in kB and MB of 10^3 and 10^6 bytes.
size_row() {
    awk -v n="$1" -v b="$2" 'BEGIN { printf "| %s | %d | %.1f | %.2f |\n", n, b, b / 1e3, b / 1e6 }'
}
in_zip() {
    unzip -Z -l "$zip" | awk -v f="/$1" 'substr($NF, length($NF) - length(f) + 1) == f { print $4 }'
}
echo "| File | Bytes | kB | MB |"
echo "| --- | --- | --- | --- |"
size_row "$(basename "$zip")" "$(stat -c %s "$zip")"
size_row "$(basename "${zip%.zip}")-setup.exe" "$(stat -c %s "${zip%.zip}-setup.exe")"
size_row "chronwick.exe (in the zip)" "$(in_zip chronwick.exe)"
size_row "SDL.dll (in the zip)" "$(in_zip SDL.dll)"
size_row "the zip unpacked" "$(unzip -Z -t "$zip" | awk '{ print $3 }')"
echo

unzip -q "$zip" -d "$work/unpacked"
cp "$windows/reference_loop.exe" "$work"/unpacked/*/
# A fresh copy of the unpacked zip with the default settings saved in it.
make_folder() {
    cp -R "$work"/unpacked/* "$1"
    printf '12\r\n1\r\n680\r\n100\r\n' >"$1/config.cwk"
}

# Each program with an X server and a wine prefix of its own, whose wineserver stays up between
# launches as Windows' services do.
declare -A display_of=() xvfb_of=() booting=()
for program in clock reference; do
    start_xvfb >&2
    display_of[$program]=$xvfb_display xvfb_of[$program]=$xvfb_pid
    WINEPREFIX=$work/$program wine_prefix >&2 &
    booting[$program]=$!
done
for program in clock reference; do
    wait "${booting[$program]}"
done
# in_wine PROGRAM COMMAND...: COMMAND in PROGRAM's prefix and on its X server.
in_wine() {
    env WINEPREFIX="$work/$1" DISPLAY="${display_of[$1]}" "${@:2}"
}
for program in clock reference; do
    in_wine "$program" wineserver -p
done

# probe_launch PROGRAM LAUNCH [--window-only]: the probe's figures of one launch of PROGRAM.
probe_launch() {
    local folder=$work/$1-$2
    make_folder "$folder"
    (cd "$folder" && in_wine "$1" "$probe" "${@:3}" wine "${exe_of[$1]}") 2>"$folder/wine.log" || true
    sleep 1
}
# figure NAME PROGRAM FIRST LAST: the median of the probe's figure NAME over those launches.
figure() {
    awk -v k="$1" -v f="$3" -v l="$4" '$1 == "launch" { n = $2 } $1 == k && n >= f && n <= l { print $2 }' \
        "$work/$2-launches" | sort -g | awk '{ v[NR] = $1 } END { print NR ? v[int((NR + 1) / 2)] : "none" }'
}
echo "Timing $((launches + 1)) launches of each program under wine..." >&2
for launch in $(seq 0 "$launches"); do
    { echo "launch $launch"; probe_launch clock "$launch"; } >>"$work/clock-launches"
    { echo "launch $launch"; probe_launch reference "$launch" --window-only; } >>"$work/reference-launches"
done
if [ "$(figure first_frame_ms clock 0 "$launches")" = none ]; then
    echo "windows.sh: the clock never showed its background; what wine printed:" >&2
    cat "$work/clock-0/wine.log" >&2
    exit 1
fi
echo "| Under wine on Xvfb, ms | clock | reference loop |"
echo "| --- | --- | --- |"
echo "| Exec to window mapped, first launch | $(figure window_ms clock 0 0) | $(figure window_ms reference 0 0) |"
echo "| the same, median of $launches later launches | $(figure window_ms clock 1 "$launches") |" \
    "$(figure window_ms reference 1 "$launches") |"
echo "| Exec to first frame, first launch | $(figure first_frame_ms clock 0 0) | – |"
echo "| the same, median of $launches later launches | $(figure first_frame_ms clock 1 "$launches") | – |"
echo

echo "Running the clock and the reference loop side by side for $seconds s..." >&2
declare -A pid_of=()
for program in reference clock; do
    make_folder "$work/$program-run"
    (cd "$work/$program-run" && exec env WINEPREFIX="$work/$program" DISPLAY="${display_of[$program]}" \
        wine "${exe_of[$program]}") >"$work/$program-run/wine.log" 2>&1 &
    pid_of[$program]=$!
done
sleep "$steady_from"
# "PID PROGRAM PART NAME" for every process measured; the wine part is every other process
# running in the program's prefix.
for program in clock reference; do
    echo "${pid_of[$program]} $program process ${exe_of[$program]}"
    echo "${xvfb_of[$program]} $program xserver Xvfb"
    for environ in $(grep -lzx "WINEPREFIX=$work/$program" /proc/[0-9]*/environ 2>/dev/null || true); do
        pid=${environ//[^0-9]/}
        [ "$pid" = "${pid_of[$program]}" ] || echo "$pid $program wine $(cat "/proc/$pid/comm")"
    done
done >"$work/parts"
mapfile -t pids < <(cut -d' ' -f1 "$work/parts")
process_figures "$((seconds - steady_from))" "${pids[@]}" >"$work/figures"
for program in clock reference; do
    if ! kill -0 "${pid_of[$program]}" 2>/dev/null; then
        echo "windows.sh: the $program ended early; what wine printed:" >&2
        cat "$work/$program-run/wine.log" >&2
        exit 1
    fi
done

# A row a part: the program's own process, each wine process by name (several of a name
# together), wine's processes together, the X server and all of them; CPU % of one core and
# wake-ups a second of the clock, then of the reference loop.
echo "| ${steady_from} s to ${seconds} s | clock CPU % | wake-ups/s | reference loop CPU % | wake-ups/s |"
echo "| --- | --- | --- | --- | --- |"
awk '
    function add(key, pid) { n[key]++; c[key] += cpu[pid]; w[key] += wakeups[pid]; t[key] += threads[pid] }
    function row(label, key) {
        printf "| %s | %.2f | %.1f | %.2f | %.1f |\n", label, c["clock " key], w["clock " key],
            c["reference " key], w["reference " key]
    }
    FILENAME == ARGV[1] { cpu[$1] = $2; wakeups[$1] = $4; threads[$1] = $6; next }
    $1 in cpu {
        add($2 " " $3, $1); add($2 " all", $1)
        if ($3 == "wine") {
            add($2 " wine " $4, $1)
            if (!($4 in seen)) { seen[$4]; names[++kinds] = $4 }
        }
    }
    END {
        row(sprintf("the program itself (threads: clock %d, reference %d)", t["clock process"],
            t["reference process"]), "process")
        for (i = 1; i <= kinds; i++) {
            count = n["clock wine " names[i]]
            row("wine: " names[i] (count > 1 ? " (" count ")" : ""), "wine " names[i])
        }
        row(sprintf("wine processes together (%d, %d)", n["clock wine"], n["reference wine"]), "wine")
        row("X server (Xvfb)", "xserver")
        row("all together", "all")
    }' "$work/figures" "$work/parts"
echo
echo "Machine: $(nproc) cores, $(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)," \
    "load average $(cut -d' ' -f1-3 /proc/loadavg); $(wine --version 2>/dev/null)."
