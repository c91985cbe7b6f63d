#!/usr/bin/env bash
# Under Wayland the compat SDL 1.2 runtime delivers X keycodes too: in a headless sway, keys typed
# by a virtual keyboard are reported with their X keycodes and act (G steps the layout, 7 does not
# quit), and Esc ends the clock. Skipped (77) without sway, wtype or the compat runtime.
skip() {
    echo "SKIP: $*"
    exit 77
}
for tool in sway swaymsg wtype setpriv; do
    command -v "$tool" >/dev/null || skip "$tool is missing"
done
runtime=$(sh "$(dirname "$0")/../../tools/sdl_runtime.sh" "$1") || runtime="no SDL 1.2"
[[ $runtime == compat* ]] || skip "the clock loads $runtime, not the SDL 1.2 compat runtime"

# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
start_sway
# As nobody (when root), the clock runs on a copy of itself and its files, so that nobody can
# read them wherever the build lives.
new_folder wayland
if [[ -n ${sway_user[*]} ]]; then
    rm "$run_dir/Fonts" "$run_dir/graphics"
    cp -RL "$runtime_dir/Fonts" "$runtime_dir/graphics" "$clock_bin" "$run_dir/"
    chown -R nobody:nogroup "$run_dir"
    chmod 711 "$work"
fi
clock_copy=$run_dir/${clock_bin##*/}
[[ -x $clock_copy ]] || clock_copy=$clock_bin

start_clock_in "$run_dir" "$clock_copy"
wait_for_window 10 || fail "no clock window appeared in sway: $(tail -n 3 "$run_dir/err.txt")"
sway_type -k g -s 300 -k 7 -s 300 -k c || fail "wtype failed"
size=$(fit_size 12 2 0)
expect_settings 12 2 "${size%x*}" "${size#*x}"
clock_alive || fail "the clock ended before Esc"
sway_type -k Escape || fail "wtype failed"
wait_exit 5
expect_output "fopen failed on config" "Key pressed 42 " "Key pressed 16 " "Key pressed 54 " \
    "Key pressed 9 "
