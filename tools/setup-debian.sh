#!/usr/bin/env bash
# Installs whatever the build, the clock and the test suite need on Debian 12, 13 or 14, and
# nothing when everything is already there. Uses sudo when not run as root. Where a package is
# not needed on every release, what apt offers decides, never a list of release names.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(
    build-essential cmake pkg-config
    libsdl1.2-dev libsdl-image1.2-dev libsdl-ttf2.0-dev libgif-dev libx11-dev
    libgtest-dev libbenchmark-dev
    xvfb xauth xdotool x11-utils imagemagick faketime openbox procps sysstat time
    sway wtype
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

update_once() {
    [ -n "$updated" ] || $sudo apt-get update -q
    updated=yes
}

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# install_missing PACKAGE...: installs those not installed yet.
install_missing() {
    local missing=() p
    for p in "$@"; do
        installed "$p" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    update_once
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# offered PACKAGE: whether this release's apt has a version of it to install.
offered() {
    update_once
    local policy
    policy=$(apt-cache policy "$1")
    [[ $policy =~ Candidate:\ [^\(] ]]
}

install_missing "${packages[@]}"
# Where libsdl1.2debian is classic SDL 1.2 (Debian 12), the compat runtime comes as a package of
# its own beside it, so the window scenarios run on both; where libsdl1.2debian is the compat
# runtime itself, the release may offer no such package (Debian 14).
if ! installed libsdl1.2-compat && offered libsdl1.2-compat; then
    install_missing libsdl1.2-compat
fi
# The fuzz build links clang's own runtime, which each release packages under clang's major
# version (libclang-rt-14-dev on Debian 12, libclang-rt-19-dev on 13): follow the clang installed.
clang_major=$(clang --version | sed -n 's/.*clang version \([0-9]*\)\..*/\1/p' | head -n 1)
if [ -z "$clang_major" ]; then
    echo "Cannot tell the version of the installed clang: $(clang --version | head -n 1)" >&2
    exit 1
fi
install_missing "libclang-rt-$clang_major-dev"
