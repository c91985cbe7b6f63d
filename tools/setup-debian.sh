#!/usr/bin/env bash
# Installs whatever the build, the clock and the test suite need on Debian 12, and nothing when
# everything is already there. Uses sudo when not run as root.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(
    build-essential cmake pkg-config
    libsdl1.2-dev libsdl-image1.2-dev libsdl-ttf2.0-dev libgif-dev libx11-dev
    libgtest-dev libbenchmark-dev
    xvfb xauth xdotool x11-utils imagemagick faketime
    libsdl1.2-compat sway wtype
    clang libclang-rt-14-dev valgrind
    desktop-file-utils appstream dpkg-dev file man-db
)
# The font packages the runtime Fonts/ folder is copied from.
while read -r _file package _rest; do
    packages+=("$package")
done < <(grep -v -E '^\s*(#|$)' "$here/assets/fonts.manifest")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
