#!/usr/bin/env bash
# Tries the README's two commands as a new user of a Debian release would: in a brand-new minimal
# root of that release made by mmdebstrap, with git and make, and Xvfb and xdotool standing in for
# the user's display, a clean clone of the current commit, as root:
#   make-run       make run with no display: installs what building and running need, builds, and
#                  says there is no display to open the clock on; no test tool is installed
#   run-offline    with the network cut off, make run under xvfb-run: no apt command runs, the
#                  clock is up after 20 s, and Esc ends it with status 0
#   make-test      make test: installs the test tools too, and passes
#   test-offline   with the network cut off, make test again: no apt command runs, and it passes
# Prints each step's result and time; fails if any step fails.
#
# usage: tools/fresh-root.sh RELEASE   (as root, or a user with subordinate ids; RELEASE is e.g.
#                                       bookworm, trixie or forky)
#
# mmdebstrap makes the root in user namespaces (unshare mode), runs the steps in it and removes
# it, also when interrupted: nothing is mounted on this machine, and no process outlives it. The
# packages apt downloads are kept in /var/cache/chronwick-fresh-root/RELEASE-debs/, so that a
# second run downloads little. Only a failed run keeps its logs, in
# /var/tmp/chronwick-fresh-root-RELEASE-logs/.

# Steps call most functions by name.
# shellcheck disable=SC2317
set -euo pipefail

readonly cache=/var/cache/chronwick-fresh-root
readonly clone=/root/chronwick
readonly x_screen='-screen 0 1280x1024x24 -noreset'
# The test suite's own tools, none of which make run may install.
readonly test_tools=(libgtest-dev libbenchmark-dev imagemagick faketime openbox sway wtype)
# ctest's count, e.g. "100% tests passed, 0 tests failed out of 101", and the set-up's size.
readonly summary_lines='^([0-9]+% tests passed|make run installed )'
# shellcheck source=tools/unshare_root.sh
source "$(dirname "$0")/unshare_root.sh"

# ---- inside the root -------------------------------------------------------------------------

# The clock must still be up after 20 s of `make run`; then Esc ends it and make with it.
clock_stays_up() {
    make run >/root/logs/run.out 2>&1 &
    local run=$! window="" second
    for second in $(seq 20); do
        kill -0 "$run" 2>/dev/null || break
        sleep 1
    done
    window=$(xdotool search --name Quillmark 2>/dev/null | head -n 1) || true
    if [ -z "$window" ] || ! kill -0 "$run" 2>/dev/null; then
        echo "the clock's window is not up after 20 s of make run (ended after $second s)"
        tail -n 20 /root/logs/run.out
        kill "$run" 2>/dev/null || true
        return 1
    fi
    echo "the clock's window $window is up after 20 s"
    xdotool windowfocus --sync "$window" key Escape
    local status=0
    timeout 10 tail --pid="$run" -f /dev/null || true
    wait "$run" || status=$?
    cat /root/logs/run.out
    [ "$status" -eq 0 ] || {
        echo "make run ended with $status after Esc"
        return 1
    }
    ! grep -E '^failed (load|to render font)' /root/logs/run.out
}

installed_packages() {
    dpkg-query -W -f '${db:Status-Abbrev} ${Package} ${Installed-Size}\n' | awk '$1 == "ii"'
}

# make run without a display sets up and builds, then refuses to start; it installs no test tool.
run_without_display() {
    installed_packages >/root/logs/packages-before
    local status=0
    make run || status=$?
    if [ "$status" -eq 0 ] ||
        ! grep -q 'No display to open the clock on' "/root/logs/$current_step.log"; then
        echo "make run without a display did not stop with its message (status $status)"
        return 1
    fi
    installed_packages >/root/logs/packages-after
    local new
    new=$(awk 'NR == FNR {before[$2] = 1; next} !($2 in before) {n++; kib += $3}
        END {printf "%d packages, %d MB on disk", n, kib / 1024}' \
        /root/logs/packages-before /root/logs/packages-after)
    echo "make run installed $new"
    local tool
    for tool in "${test_tools[@]}"; do
        if grep -q " $tool " /root/logs/packages-after; then
            echo "make run installed the test tool $tool"
            return 1
        fi
    done
}

# "$@" with the network cut off; the set-up must have found nothing to install.
offline() {
    local status=0
    unshare --net "$@" || status=$?
    if grep -q 'Installing what is missing' "/root/logs/$current_step.log"; then
        echo "the set-up wanted to install something"
        return 1
    fi
    return "$status"
}

inside() {
    logs=/root/logs
    cd "$clone"
    step make-run run_without_display
    step run-offline offline xvfb-run -a -s "$x_screen" bash tools/fresh-root.sh --clock-stays-up
    step make-test make test
    step test-offline offline make test
}

# ---- outside: mmdebstrap makes the root, runs the steps in it and removes it -------------------

outside() {
    local release=${1:-}
    if [ $# -ne 1 ] || ! [[ $release =~ ^[a-z]+$ ]]; then
        echo "usage: $0 RELEASE   (a Debian release name, e.g. bookworm, trixie or forky)" >&2
        exit 2
    fi
    begin_checks "fresh-root-$release" mmdebstrap uidmap
    mkdir -p "$cache/$release-debs"
    # The cached packages go in before the bootstrap and come back out after the steps, the
    # essential ones too, without apt's lock and partial downloads. The steps never fail the
    # hook, so that their logs come out; their summary decides.
    # shellcheck disable=SC2016 # mmdebstrap's hooks get the root as $1
    step mmdebstrap debian_root "$release" /dev/null --variant=minbase --format=null \
        --include=git,make,ca-certificates,xvfb,xauth,xdotool \
        --skip=essential/unlink \
        --setup-hook='mkdir -p "$1/var/cache/apt/archives"' \
        --setup-hook="sync-in $cache/$release-debs /var/cache/apt/archives" \
        --customize-hook="mkdir -p \"\$1$clone\" \"\$1/root/logs\"" \
        --customize-hook="sync-in $work/chronwick $clone" \
        --customize-hook="chroot \"\$1\" env -i HOME=/root TERM=dumb \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
            bash $clone/tools/fresh-root.sh --inside || true" \
        --customize-hook="sync-out /root/logs $logs" \
        --customize-hook='rm -rf "$1/var/cache/apt/archives/lock" "$1/var/cache/apt/archives/partial"' \
        --customize-hook="sync-out /var/cache/apt/archives $cache/$release-debs"
    end_checks "Debian $release, fresh root, commit ${head:0:12}:" \
        $(($(declare -f inside | grep -c '^ *step ') + 1))
}

# The whole script is read before anything runs, so that editing it meanwhile cannot upset a
# run: bash parses this block, the exit with it, before it runs any of it.
{
    case ${1:-} in
    --inside) inside ;;
    --clock-stays-up) clock_stays_up ;;
    *) outside "$@" ;;
    esac
    exit
}
