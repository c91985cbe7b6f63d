#!/usr/bin/env bash
# Installs what the project needs on Debian 12, 13 or 14, as debian/control lists it, and nothing
# when everything is there:
#   setup-debian.sh run [PACKAGE...]    what building and running the clock need (the build
#                                       dependencies without the test tools: profile nocheck)
#   setup-debian.sh test [PACKAGE...]   all build dependencies, the test tools with them
#   setup-debian.sh only PACKAGE...     no build dependency, just the packages named
# plus any PACKAGE a tool of its own needs (the fuzz build's clang, the memory check's valgrind).
#
# Whether anything is missing is told by dpkg-checkbuilddeps and dpkg from the installed packages
# alone: with everything installed no apt command runs, so it needs neither the network nor sudo.
# Otherwise apt refreshes its lists once and installs the build dependencies of this source tree,
# choosing among the alternatives debian/control gives: the compat runtime is a package of its own
# on Debian 12 and is libsdl1.2debian itself on 13 and 14. Uses sudo when not run as root.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

mode=${1:-}
case $mode in
run) profile=nocheck ;;
test) profile="" ;;
only) ;;
*)
    echo "usage: $0 run|test [PACKAGE...] | only PACKAGE..." >&2
    exit 2
    ;;
esac
shift
extra=("$@")

# A backports version counts as missing: users' machines have the main archive's.
installed() {
    local state
    state=$(dpkg-query -W -f='${Status} ${Version}' "$1" 2>/dev/null) || return 1
    [[ $state == 'install ok installed '* && $state != *~bpo* ]]
}

# Prints what is missing, nothing when all is installed.
missing() {
    local p unmet
    if [ "$mode" = only ]; then
        :
    elif ! command -v dpkg-checkbuilddeps >/dev/null; then
        echo "dpkg-dev"
    elif ! unmet=$(cd "$here" && dpkg-checkbuilddeps ${profile:+-P "$profile"} 2>&1); then
        echo "${unmet#*Unmet build dependencies: }"
    fi
    for p in "${extra[@]}"; do
        installed "$p" || echo "$p"
    done
}

needed=$(missing)
[ -n "$needed" ] || exit 0
echo "Installing what is missing: $needed"

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
apt_get() {
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=600 "$@"
}
apt_get update
# apt adds build-essential, which brings dpkg-dev, to what debian/control lists.
if [ "$mode" != only ]; then
    apt_get --no-install-recommends ${profile:+--build-profiles="$profile"} build-dep "$here"
fi
if [ ${#extra[@]} -ne 0 ]; then
    # From the release itself (PACKAGE/CODENAME), never from its backports.
    apt_get --no-install-recommends --allow-downgrades install \
        "${extra[@]/%//$(. /etc/os-release && echo "$VERSION_CODENAME")}"
fi
needed=$(missing)
if [ -n "$needed" ]; then
    echo "Still missing after the install: $needed" >&2
    exit 1
fi
