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
#   - CPU and wake-ups from 5 s to PROCESS_SECONDS (default 20), both programs running at once,
#     each with its wine prefix in a PID namespace of its own: the program's process, the other
#     processes of the namespace (wineserver, services.exe, explorer.exe, ...) and its X server,
#     from pidstat (tools/x_session.sh's process_figures).
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"
windows=$folder
zip=$(echo "$windows"/chronwick-*-win64.zip)
declare -A binary_of=([clock]=chronwick.exe [reference]=reference_loop.exe)
runner=(wine)
require_built bench-windows "$zip" "${zip%.zip}-setup.exe" "$windows/reference_loop.exe" "$probe"
"$root/tools/setup-debian.sh" test procps sysstat wine unzip
require_tools pidstat unzip
# shellcheck source=tests/windows/wine_lib.sh
source "$root/tests/windows/wine_lib.sh"
# Both wineservers first, so that the programs they run end at once.
stop_wine() {
    local program
    for program in clock reference; do
        in_session "$program" wineserver -k 2>/dev/null || true
    done
    wine_stop
}
trap 'stop_wine; stop_started; rm -rf "$work"' EXIT

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
# in_session PROGRAM COMMAND...: COMMAND in PROGRAM's prefix and on its X server.
in_session() {
    env WINEPREFIX="$work/$1" DISPLAY="${display_of[$1]}" "${@:2}"
}

# Each program with an X server and a wine prefix of its own, whose wineserver stays up between
# launches as Windows' services do.
start_servers
booting=()
for program in clock reference; do
    (wine_prefix "$work/$program" && in_session "$program" wineserver -p) >&2 &
    booting+=($!)
done
wait "${booting[@]}"

time_launches first 1
time_launches later "$launches"
if [ "$(median first_frame_ms clock first)" = none ]; then
    echo "windows.sh: the clock never showed its background; what wine printed:" >&2
    cat "$work/clock-first-1/output.log" >&2
    exit 1
fi
echo "| Under wine on Xvfb, ms | clock | reference loop |"
echo "| --- | --- | --- |"
echo "| Exec to window mapped, first launch | $(median window_ms clock first) |" \
    "$(median window_ms reference first) |"
echo "| the same, median of $launches later launches | $(median window_ms clock later) |" \
    "$(median window_ms reference later) |"
echo "| Exec to first frame, first launch | $(median first_frame_ms clock first) | – |"
echo "| the same, median of $launches later launches | $(median first_frame_ms clock later) | – |"
echo

# Each program runs in a PID namespace of its own, where it starts its wineserver and wine's
# services anew, so that pidstat there counts them all: everything but the program itself and
# the shell, pidstat and awk that measure is wine's. The X servers are measured from outside.
echo "Running the clock and the reference loop side by side for $seconds s..." >&2
export -f process_figures
running=()
# shellcheck disable=SC2016 # the words expand in the namespace's shell
for program in reference clock; do
    in_session "$program" wineserver -k 2>/dev/null || true
    in_session "$program" wineserver -w
    make_folder "$work/$program-run"
    (cd "$work/$program-run" && in_session "$program" "${pid_namespace[@]}" bash -c '
        wine "$1" >wine.log 2>&1 &
        sleep "$2"
        echo "program $!"
        process_figures "$3" ALL
        kill -0 "$!" || echo ended' _ "${binary_of[$program]}" "$steady_from" \
        "$((seconds - steady_from))") >"$work/$program-figures" &
    running+=($!)
done
sleep "$steady_from"
process_figures "$((seconds - steady_from))" "${xvfb_of[@]}" >"$work/xservers"
wait "${running[@]}"
for program in clock reference; do
    if grep -q '^ended' "$work/$program-figures"; then
        echo "windows.sh: the $program ended early; what wine printed:" >&2
        cat "$work/$program-run/wine.log" >&2
        exit 1
    fi
done

# "PROGRAM PART NAME CPU WAKEUPS THREADS" for every process measured.
for program in clock reference; do
    awk -v program="$program" -v x="${xvfb_of[$program]}" '
        FILENAME == ARGV[1] && $1 == "program" { self = $2; next }
        FILENAME == ARGV[1] && NF == 7 && $7 !~ /^(bash|pidstat|awk)$/ {
            print program, $1 == self ? "process" : "wine", $7, $2, $4, $6
        }
        FILENAME == ARGV[2] && $1 == x { print program, "xserver", $7, $2, $4, $6 }' \
        "$work/$program-figures" "$work/xservers"
done >"$work/parts"

# A row a part: the program's own process, each wine process by name (several of a name
# together), wine's processes together, the X server and all of them; CPU % of one core and
# wake-ups a second of the clock, then of the reference loop.
echo "| ${steady_from} s to ${seconds} s | clock CPU % | wake-ups/s | reference loop CPU % | wake-ups/s |"
echo "| --- | --- | --- | --- | --- |"
awk '
    function add(key) { n[key]++; c[key] += $4; w[key] += $5; t[key] += $6 }
    function row(label, key) {
        printf "| %s | %.2f | %.1f | %.2f | %.1f |\n", label, c["clock " key], w["clock " key],
            c["reference " key], w["reference " key]
    }
    {
        add($1 " " $2); add($1 " all")
        if ($2 == "wine") {
            add($1 " wine " $3)
            if (!($3 in seen)) { seen[$3]; names[++kinds] = $3 }
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
    }' "$work/parts"
echo
echo "Machine: $(nproc) cores, $(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)," \
    "load average $(cut -d' ' -f1-3 /proc/loadavg); $(wine --version 2>/dev/null)."
