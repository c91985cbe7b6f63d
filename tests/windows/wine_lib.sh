# shellcheck shell=bash disable=SC2034
# Wine, set up one way for every Windows test and benchmark: a 64-bit prefix, wine's notes off,
# no Mono or Gecko install dialog (the clock needs neither .NET nor a browser engine). Sourced
# after tools/x_session.sh; the script's EXIT trap calls wine_stop before its own cleanup. Run as
# a command, it runs the in-process suite (make windows-test):
#   wine_lib.sh PREFIX COMMAND...
#                          COMMAND, in a PID namespace, with PREFIX made and its wineserver kept
#                          up, then stopped: ctest lists the tests in the prefix before it runs any
#   wine_prefix [PREFIX]   makes the prefix (wineboot, timed) where it is missing; by default a
#                          private one in a scratch folder
#   wine_keep_server       keeps its wineserver up until wine_stop
#   wine_run PROGRAM...    runs a Windows program to its end; returns its exit status
#   wine_start DIR PROGRAM...
#                          starts a Windows program in DIR in the background, what wine prints
#                          in $wine_out and $wine_err (outside DIR, which the test may inspect);
#                          sets clock_pid, so that x_session's clock_alive, wait_for_window,
#                          press_keys and wait_for_exit serve it
#   wine_unix_path 'C:\...' the folder or file inside the prefix
#   wine_folder NAME       a shell folder of the wine user, such as LOCALAPPDATA, as a Unix path
#   wine_key_exists KEY    whether the registry key exists
set -euo pipefail
# shellcheck source=tools/x_session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/x_session.sh"
require_tools wine wineserver winepath

wine_scratch=$(mktemp -d "${TMPDIR:-/tmp}/chronwick-wine.XXXXXX")
export WINEPREFIX=$wine_scratch/prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml='
wine_out=$wine_scratch/wine-out.txt
wine_err=$wine_scratch/wine-err.txt

wine_stop() {
    if [ -d "$WINEPREFIX" ]; then
        timeout 10 wineserver -k 2>/dev/null || true
    fi
    rm -rf "$wine_scratch"
}

# Debian's wine says on every start that wine32 is missing; a 64-bit-only wine is meant here.
wine_quiet() {
    "$@" 2> >(grep -v -e 'wine32 is missing' -e 'multiarch needs' -e 'dpkg --add-arch' \
        -e 'apt-get install wine32' >&2)
}

wine_prefix() {
    local start=$SECONDS log
    WINEPREFIX=$(realpath -m "${1:-$WINEPREFIX}")
    [ ! -f "$WINEPREFIX/system.reg" ] || return 0
    # Its notes on a first start (a new prefix, no 32-bit part) are no news; kept for a failure.
    log=$(mktemp "$wine_scratch/wineboot.XXXXXX")
    wineboot -i >"$log" 2>&1 || {
        cat "$log" >&2
        return 1
    }
    wineserver -w
    echo "wine prefix ready in $((SECONDS - start)) s"
}

# One wineserver from now to wine_stop: one that ends when its last program does can refuse the
# next program as it goes ("recvmsg: Connection reset by peer"). Wine's services start with the
# first program and keep its output open, so that one writes nowhere.
wine_keep_server() {
    wineserver -p
    wine cmd /c exit >/dev/null 2>&1
}

wine_run() {
    local status=0
    wine_quiet wine "$@" || status=$?
    return "$status"
}

wine_start() {
    local dir=$1
    shift
    (cd "$dir" && exec wine "$@") >"$wine_out" 2>"$wine_err" </dev/null &
    clock_pid=$!
}

wine_unix_path() {
    realpath -m "$(wine_quiet winepath -u "$1")"
}

wine_folder() {
    local windows
    windows=$(wine_quiet wine cmd /c echo "%$1%" | tr -d '\r')
    wine_unix_path "$windows"
}

wine_key_exists() {
    wine_quiet wine reg query "$1" >/dev/null 2>&1
}

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
    trap 'wine_stop; stop_started' EXIT
    wine_prefix "$1"
    wine_keep_server
    "${@:2}"
fi
