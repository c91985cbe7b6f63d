#!/usr/bin/env bash
# The launcher of an install made by `cmake --install`, with a stand-in clock that reports where
# it was started: the per-user folder and its links, XDG_CONFIG_HOME, stale links, the user's own
# folders, starting through a link, arguments and a missing display.
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
# Outside /usr the font links are absolute and lead to the font packages' files.
for name in tomnr.ttf KLINGON.ttf; do
    [ -s "$data/Fonts/$name" ] || fail "the installed Fonts/$name does not lead to a font file"
done
[ -f "$data/graphics/circle.gif" ] || fail "the pictures are not installed"

cat >"$clock" <<'EOF'
#!/bin/sh
echo "cwd=$(pwd -P) args=$#"
echo "Fonts=$(readlink Fonts)"
echo "graphics=$(readlink graphics)"
echo "hints=${SDL_RENDER_DRIVER-unset} ${SDL_FRAMEBUFFER_ACCELERATION-unset}"
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
expect default "Fonts=$data/Fonts"
expect default "graphics=$data/graphics"
expect default "status=0"
# The SDL 2 hints for the compat runtime, unless the user chose otherwise.
expect default "hints=software 0"
run own_hints HOME="$home" SDL_RENDER_DRIVER=opengl "$launcher"
expect own_hints "hints=opengl 0"

run xdg HOME="$home" XDG_CONFIG_HOME="$prefix/xdg" "$launcher"
expect xdg "cwd=$prefix/xdg/chronwick args=0"
expect xdg "Fonts=$data/Fonts"

run relative_xdg HOME="$home" XDG_CONFIG_HOME=relative/config "$launcher"
expect relative_xdg "cwd=$home/.config/chronwick args=0"

# A link from an older install is renewed; a real folder of the user's is kept as it is.
folder="$prefix/own/chronwick"
mkdir -p "$folder/graphics"
touch "$folder/graphics/mine.gif"
ln -s /nonexistent/Fonts "$folder/Fonts"
run stale HOME="$home" XDG_CONFIG_HOME="$prefix/own" "$launcher"
expect stale "Fonts=$data/Fonts"
expect stale "graphics="
if [ -L "$folder/graphics" ] || [ ! -f "$folder/graphics/mine.gif" ]; then
    fail "the user's own graphics folder was replaced"
fi

mkdir -p "$prefix/elsewhere"
ln -s "$launcher" "$prefix/elsewhere/chronwick"
run through_link HOME="$home" "$prefix/elsewhere/chronwick"
expect through_link "Fonts=$data/Fonts"

run arguments HOME="$home" "$launcher" --geometry 100x100
expect arguments "status=2"
grep -q '^cwd=' "$out/arguments" && fail "the clock was started with arguments"

run help HOME="$home" "$launcher" --help
expect help "status=0"
expect help "usage: chronwick"

status=0
env -i PATH=/usr/bin:/bin HOME="$home" "$launcher" >"$out/no_display" 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "without a display the launcher exited with $status"
grep -q 'no display' "$out/no_display" || fail "without a display: $(cat "$out/no_display")"

if [ "$failures" -ne 0 ]; then
    echo "$failures launcher checks failed" >&2
    exit 1
fi
echo "launcher test passed"
