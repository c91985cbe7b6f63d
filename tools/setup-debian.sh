#!/usr/bin/env bash
# Installs whatever the build, the clock and the test suite need on Debian 12 or 13, and nothing
# when everything is already there. Uses sudo when not run as root.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(
    build-essential cmake pkg-config
    libsdl1.2-dev libsdl-image1.2-dev libsdl-ttf2.0-dev libgif-dev libx11-dev
    libgtest-dev libbenchmark-dev
    xvfb xauth xdotool x11-utils imagemagick faketime
    libsdl1.2-compat sway wtype
    clang valgrind
    desktop-file-utils appstream dpkg-dev file man-db fontconfig
)
# The font packages of the faces the clock opens, each once.
while IFS='|' read -r _file _family _style package _licence; do
    [[ " ${packages[*]} " == *" $package "* ]] || packages+=("$package")
done < <(sh "$here/tools/find_fonts.sh" list "$here/assets/fonts.manifest")

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
updated=""

# install_missing PACKAGE...: installs those not installed yet.
install_missing() {
    local missing=() p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    if [ -z "$updated" ]; then
        $sudo apt-get update -q
        updated=yes
    fi
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

install_missing "${packages[@]}"
# The fuzz build links clang's own runtime, which each release packages under clang's major
# version (libclang-rt-14-dev on Debian 12, libclang-rt-19-dev on 13): follow the clang installed.
clang_major=$(clang --version | sed -n 's/.*clang version \([0-9]*\)\..*/\1/p' | head -n 1)
if [ -z "$clang_major" ]; then
    echo "Cannot tell the version of the installed clang: $(clang --version | head -n 1)" >&2
    exit 1
fi
install_missing "libclang-rt-$clang_major-dev"
