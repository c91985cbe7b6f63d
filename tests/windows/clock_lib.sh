# shellcheck shell=bash disable=SC2034,SC2154
# The Windows layer of the window scenarios' driver: tests/e2e/lib.sh sources it when the clock
# it is given is the Windows zip. Each run folder is a fresh copy of the unpacked zip, where the
# clock runs under wine in a private prefix, writes stdout.txt beside itself with CR LF line
# ends, and reports PC set-1 codes (the X keycode - 8).
# shellcheck source=tests/windows/wine_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine_lib.sh"
# The wineserver first, so that the programs it runs end at once; cleanup then reports how the
# script ended.
trap 'exit_status=$?; wine_stop; (exit "$exit_status"); cleanup' EXIT
require_tools unzip

unzip -q "$clock_bin" -d "$work/unpacked"
runtime_dir=$(echo "$work/unpacked"/*)
platform=windows
clock_command=(SDL_VIDEODRIVER=windib wine chronwick.exe)
fit_size_command=(wine "$fit_size_bin")
clock_output_file=stdout.txt
key_code_offset=8
settings_line_end=$'\r\n'
quit_seconds=5
wine_started=""

# The prefix is made on the first run folder, once the scenario has started its X server: wine's
# services take the display they start with.
new_folder() {
    if [[ -z $wine_started ]]; then
        wine_prefix
        wine_keep_server
        wine_started=1
    fi
    run_dir=$work/$1
    cp -R "$runtime_dir" "$run_dir"
}
