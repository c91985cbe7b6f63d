#!/usr/bin/env bash
# The launcher of an install made by `cmake --install`, with a stand-in clock that reports where
# it was started: the per-user folder and its links, fonts found by face, XDG_CONFIG_HOME, stale
# links, the user's own files and folders, starting through a link, arguments and a missing
# display.
# usage: launcher_test.sh BUILD_DIR BINDIR CLOCK_DIR DATA_DIR (the last three under the prefix)
set -euo pipefail

build=$1
prefix=$(mktemp -d /tmp/chronwick-launcher.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
launcher="$prefix/$2/chronwick"
clock="$prefix/$3/chronwick"
data="$prefix/$4"
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

cmake --install "$build" --component chronwick --prefix "$prefix" >"$prefix/install.log" || {
    cat "$prefix/install.log" >&2
    echo "FAIL: cmake --install failed" >&2
    exit 1
}
[ -f "$data/graphics/circle.gif" ] || fail "the pictures are not installed"
[ -f "$data/fonts.manifest" ] || fail "the font manifest is not installed"

cat >"$clock" <<'EOF'
#!/bin/sh
echo "cwd=$(pwd -P) args=$#"
echo "graphics=$(readlink graphics)"
echo "hints=${SDL_RENDER_DRIVER-unset} ${SDL_FRAMEBUFFER_ACCELERATION-unset}"
for font in Fonts/*; do
    if [ -L "$font" ] && [ -s "$font" ]; then
        echo "$font: link to a font file"
    elif [ -f "$font" ]; then
        echo "$font: $(cat "$font")"
    else
        echo "$font: broken"
    fi
done
EOF
chmod +x "$clock"

# run NAME ENV... : runs the launcher with a clean environment plus ENV, output in $out/NAME.
out="$prefix/out"
mkdir "$out"
run() {
    local name=$1
    shift
    local status=0
    env -i PATH=/usr/bin:/bin DISPLAY=:99 "$@" >"$out/$name" 2>&1 || status=$?
    echo "status=$status" >>"$out/$name"
}

expect() {
    local name=$1 line=$2
    grep -q -x -F -- "$line" "$out/$name" || fail "$name: expected '$line' in: $(cat "$out/$name")"
}

home="$prefix/home"
mkdir -p "$home"
run default HOME="$home" "$launcher"
expect default "cwd=$home/.config/chronwick args=0"
expect default "graphics=$data/graphics"
for name in tomnr.ttf KLS_____.ttf KLB_____.ttf bboron.ttf geodesic.ttf levity.ttf KLINGON.ttf; do
    expect default "Fonts/$name: link to a font file"
done
expect default "status=0"
# The SDL hints for the compat runtime's X11 path, unless the user chose otherwise.
expect default "hints=software 0"
run own_hints HOME="$home" SDL_RENDER_DRIVER=opengl "$launcher"
expect own_hints "hints=opengl 0"
# The hints serve drawing through X only: SDL 3 opens no Wayland window with both of them.
run wayland_driver HOME="$home" SDL_VIDEODRIVER=wayland "$launcher"
expect wayland_driver "hints=unset unset"

run xdg HOME="$home" XDG_CONFIG_HOME="$prefix/xdg" "$launcher"
expect xdg "cwd=$prefix/xdg/chronwick args=0"
expect xdg "Fonts/tomnr.ttf: link to a font file"

run relative_xdg HOME="$home" XDG_CONFIG_HOME=relative/config "$launcher"
expect relative_xdg "cwd=$home/.config/chronwick args=0"

# A Fonts link of an older install gives way to a folder of links; a real folder of the user's
# is kept as it is.
folder="$prefix/own/chronwick"
mkdir -p "$folder/graphics"
touch "$folder/graphics/mine.gif"
ln -s /nonexistent/Fonts "$folder/Fonts"
run stale HOME="$home" XDG_CONFIG_HOME="$prefix/own" "$launcher"
expect stale "Fonts/tomnr.ttf: link to a font file"
expect stale "graphics="
if [ -L "$folder/graphics" ] || [ ! -f "$folder/graphics/mine.gif" ]; then
    fail "the user's own graphics folder was replaced"
fi

# A font file that moved leaves a link to nothing: the next start links the face's new place. A
# real file the user put under a font's name is theirs and stays.
ln -s -f /nonexistent/Gamaliel.ttf "$folder/Fonts/KLINGON.ttf"
rm "$folder/Fonts/levity.ttf"
echo mine >"$folder/Fonts/levity.ttf"
run moved HOME="$home" XDG_CONFIG_HOME="$prefix/own" "$launcher"
expect moved "Fonts/KLINGON.ttf: link to a font file"
expect moved "Fonts/levity.ttf: mine"

# A face that fontconfig has only a substitute for: one line that names its package, no link.
printf 'tomnr.ttf | No Such Face | Regular | fonts-no-such-face | OFL-1.1\n' >"$prefix/missing.manifest"
mkdir "$prefix/missing"
ln -s /nonexistent/tomnr.ttf "$prefix/missing/tomnr.ttf"
status=0
"$prefix/$3/find-fonts" link "$prefix/missing.manifest" "$prefix/missing" >"$out/missing" 2>&1 ||
    status=$?
[ "$status" -eq 1 ] || fail "find-fonts exited with $status for a missing face"
if [ "$(wc -l <"$out/missing")" -ne 1 ] ||
    ! grep -q 'install the Debian package fonts-no-such-face$' "$out/missing"; then
    fail "a missing face is not reported in one line naming its package: $(cat "$out/missing")"
fi
[ ! -L "$prefix/missing/tomnr.ttf" ] || fail "the link for a missing face was left"
# A style the system lacks gives way to the next one the manifest lists for that file.
printf 'tomnr.ttf | Liberation Serif | Hairline, Regular | fonts-liberation2 | OFL-1.1\n' \
    >"$prefix/fallback.manifest"
"$prefix/$3/find-fonts" link "$prefix/fallback.manifest" "$prefix/missing" >"$out/fallback" 2>&1 ||
    fail "find-fonts did not take the second style: $(cat "$out/fallback")"
[ -s "$prefix/missing/tomnr.ttf" ] || fail "no link to the second style's file"

mkdir -p "$prefix/elsewhere"
ln -s "$launcher" "$prefix/elsewhere/chronwick"
run through_link HOME="$home" "$prefix/elsewhere/chronwick"
expect through_link "graphics=$data/graphics"

run arguments HOME="$home" "$launcher" --geometry 100x100
expect arguments "status=2"
grep -q '^cwd=' "$out/arguments" && fail "the clock was started with arguments"

# On an ARMv6 processor a build for ARMv7 (armhf) says so in one line instead of starting.
mkdir "$prefix/armv6"
printf '#!/bin/sh\necho armv6l\n' >"$prefix/armv6/uname"
chmod +x "$prefix/armv6/uname"
run armv6 HOME="$home" PATH="$prefix/armv6:/usr/bin:/bin" "$launcher"
if grep -q 'needs an ARMv7' "$launcher"; then
    expect armv6 "chronwick: this build needs an ARMv7 processor or later (Raspberry Pi 2 or later), not armv6l"
    expect armv6 "status=1"
else
    expect armv6 "status=0"
fi

run help HOME="$home" "$launcher" --help
expect help "status=0"
expect help "usage: chronwick"

status=0
env -i PATH=/usr/bin:/bin HOME="$home" "$launcher" >"$out/no_display" 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "without a display the launcher exited with $status"
grep -q 'no display' "$out/no_display" || fail "without a display: $(cat "$out/no_display")"
# A Wayland display alone serves only a clock that loads the compat runtime; the stand-in loads
# no SDL at all.
status=0
env -i PATH=/usr/bin:/bin HOME="$home" WAYLAND_DISPLAY=wayland-0 "$launcher" >"$out/wayland_only" 2>&1 ||
    status=$?
[ "$status" -eq 1 ] || fail "with only a Wayland display the launcher exited with $status"
grep -q 'no display to open the clock on: only a Wayland display' "$out/wayland_only" ||
    fail "with only a Wayland display: $(cat "$out/wayland_only")"

if [ "$failures" -ne 0 ]; then
    echo "$failures launcher checks failed" >&2
    exit 1
fi
echo "launcher test passed"
