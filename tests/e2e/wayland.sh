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
# The compat runtime's library is libSDL-1.2.so.1.2.N with N from 50 on; classic SDL 1.2's is
# libSDL-1.2.so.0.11.x.
sdl_library=$(readlink -f "$(ldd "$1" | awk '$1 == "libSDL-1.2.so.0" {print $3}')")
patch_level=${sdl_library##*/libSDL-1.2.so.1.2.}
if ! [[ $patch_level =~ ^[0-9]+$ ]] || ((patch_level < 50)); then
    skip "the clock loads $sdl_library, not the SDL 1.2 compat runtime"
fi

source "$(dirname "$0")/lib.sh"

time_limit 40

# sway refuses to run as root: then the compositor, the clock and the keyboard all run as nobody,
# on a copy of the clock and its files, so that nobody can read them wherever the build lives.
as_user=()
new_folder wayland
if (($(id -u) == 0)); then
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    rm "$run_dir/Fonts" "$run_dir/graphics"
    cp -RL "$runtime_dir/Fonts" "$runtime_dir/graphics" "$clock_bin" "$run_dir/"
    chown -R nobody:nogroup "$run_dir"
    chmod 711 "$work"
fi
clock_copy=$run_dir/${clock_bin##*/}
[[ -x $clock_copy ]] || clock_copy=$clock_bin
mkdir -m 700 "$work/xdg"
[[ -z ${as_user[*]} ]] || chown nobody:nogroup "$work/xdg"
# The clock floats, as on a desktop: tiled, sway would give it the whole output, and the
# fitted size could not be checked.
printf 'xwayland disable\nfor_window [title="Quillmark"] floating enable\n' >"$work/sway.conf"
chmod 644 "$work/sway.conf"
session=(env HOME="$run_dir" XDG_RUNTIME_DIR="$work/xdg")

"${as_user[@]}" "${session[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
sway_pid=$!
register_pid "$sway_pid"
for _ in {1..100}; do
    socket=$(find "$work/xdg" -name 'wayland-*' -type s -printf '%f\n' | head -n 1)
    ipc=$(find "$work/xdg" -name 'sway-ipc.*' -type s | head -n 1)
    [[ -n $socket && -n $ipc ]] && break
    kill -0 "$sway_pid" 2>/dev/null || fail "sway ended: $(tail -n 3 "$work/sway.log")"
    sleep 0.1
done
[[ -n $socket && -n $ipc ]] || fail "sway opened no Wayland socket within 10 s"
session+=(WAYLAND_DISPLAY="$socket")

(cd "$run_dir" && exec "${as_user[@]}" "${session[@]}" SDL_VIDEODRIVER=wayland "$clock_copy") \
    >"$run_dir/out.txt" 2>"$run_dir/err.txt" </dev/null &
clock_pid=$!
register_pid "$clock_pid"
shown=""
for _ in {1..100}; do
    if "${as_user[@]}" "${session[@]}" swaymsg -s "$ipc" -t get_tree 2>/dev/null |
        grep -q Quillmark; then
        shown=1
        break
    fi
    clock_alive || fail "the clock ended before showing a window: $(tail -n 3 "$run_dir/err.txt")"
    sleep 0.1
done
[[ -n $shown ]] || fail "no clock window appeared in sway within 10 s"

# A new virtual keyboard needs a moment before its keys reach the focused window.
type_keys() {
    "${as_user[@]}" "${session[@]}" timeout 15 wtype -s 1500 "$@" || fail "wtype failed"
}
type_keys -k g -s 300 -k 7 -s 300 -k c
size=$(fit_size 12 2 0)
expect_settings 12 2 "${size%x*}" "${size#*x}"
clock_alive || fail "the clock ended before Esc"
type_keys -k Escape
wait_exit 5
expect_output "fopen failed on config" "Key pressed 42 " "Key pressed 16 " "Key pressed 54 " \
    "Key pressed 9 "
