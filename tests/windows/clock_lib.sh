# shellcheck shell=bash disable=SC2034,SC2154
# The end-to-end driver (tests/e2e/lib.sh) for the Windows clock under wine, sourced by each
# Windows scenario with the arguments
#   ZIP FIT_SIZE_EXE CLOSE_WINDOW [scenario arguments...]
# Each run folder is a fresh copy of the unpacked zip, where the clock writes stdout.txt beside
# itself with CR LF line ends; its keys report PC set-1 codes.
# The session first, so that it starts the script again in its namespace with the script's own
# arguments.
# shellcheck source=tools/x_session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/x_session.sh"
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh" "$1" "${TMPDIR:-/tmp}" "$2" "$3" "${@:4}"
# shellcheck source=tests/windows/wine_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine_lib.sh"
# The wineserver first, so that the programs it runs end at once; cleanup then reports how the
# script ended.
trap 'exit_status=$?; wine_stop; (exit "$exit_status"); cleanup' EXIT
require_tools unzip

unpacked=$work/unpacked
unzip -q "$clock_bin" -d "$unpacked"
unpacked=$(echo "$unpacked"/*)
clock_command=(SDL_VIDEODRIVER=windib wine chronwick.exe)
clock_output_file=stdout.txt
escape_code=1
settings_line_end=$'\r\n'
start_xvfb
wine_prefix
wine_keep_server

new_folder() {
    run_dir=$work/$1
    cp -R "$unpacked" "$run_dir"
}

leave_out() {
    local folder=$1
    shift
    (cd "$run_dir/$folder" && rm -- "$@")
}

fit_size() {
    (cd "$unpacked" && wine "$fit_size_bin" "$@" | tr -d '\r') || fail "cannot work out the fit of font $1"
}
