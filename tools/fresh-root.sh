#!/usr/bin/env bash
# Tries the project as a new user of a Debian release would: in a fresh minimal root of that
# release (debootstrap, only git and make added), as root and with no display, a clean clone of
# the current commit runs the README's `make test`, keeps the clock up for 20 s of `make run`
# under xvfb-run, builds the .deb (and again from a clone in another folder, which must give the
# same bytes), installs it with apt and runs the package test on the installed package. Prints
# each step's result and time; fails if any step fails.
#
# usage: tools/fresh-root.sh RELEASE   (as root; RELEASE is e.g. bookworm, trixie or forky)
#
# The release's base root is kept as a tarball in /var/cache/chronwick-fresh-root/ (made anew
# when a week old), and so are the .deb files apt downloads, so that a second run downloads
# little. Everything else it makes (the root, its mounts, its processes) is removed at the end,
# also when interrupted; only a failed run leaves its logs, in
# /var/tmp/chronwick-fresh-root-RELEASE-logs/.

# Steps and traps call most functions by name.
# shellcheck disable=SC2317
set -euo pipefail

readonly cache=/var/cache/chronwick-fresh-root
readonly clone=/root/chronwick
readonly x_screen='-screen 0 1280x1024x24 -noreset'

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
    [ "$status" -eq 0 ] || {
        echo "make run ended with $status after Esc"
        return 1
    }
    if grep -E '^failed (load|to render font)' /root/logs/run.out; then
        return 1
    fi
}

install_package() {
    local debs=(build/chronwick_*.deb)
    [ ${#debs[@]} -eq 1 ] || {
        echo "expected one package in build/, found: ${debs[*]}"
        return 1
    }
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "./${debs[0]}"
}

# A second clean clone of the same commit, in another folder, packs the same bytes. (Steps run
# with errexit off, so each command's failure is returned.)
same_package_elsewhere() {
    local elsewhere=/root/elsewhere/chronwick-again debs=(build/chronwick_*.deb)
    rm -rf /root/elsewhere
    git clone -q "$clone" "$elsewhere" || return 1
    make -C "$elsewhere" package || return 1
    cmp "${debs[0]}" "$elsewhere/${debs[0]}" || return 1
    echo "the same bytes from $clone and $elsewhere: ${debs[0]##*/}"
}

installed_package_test() {
    local app_id
    app_id=$(dpkg -L chronwick | sed -n 's#^/usr/share/applications/\(.*\)\.desktop$#\1#p')
    bash tests/package/package_test.sh build "$app_id" --installed
}

# Runs "$@" as step NAME with its output in /root/logs/NAME.log; records the result and time.
step() {
    local name=$1 start status=0
    shift
    echo "== $name"
    start=$(date +%s)
    "$@" >"/root/logs/$name.log" 2>&1 || status=$?
    local took=$(($(date +%s) - start))
    if [ "$status" -eq 0 ]; then
        printf '%-16s passed  %4d s\n' "$name" "$took" >>/root/logs/summary
    else
        printf '%-16s FAILED  %4d s\n' "$name" "$took" >>/root/logs/summary
        grep -A 40 'tests FAILED' "/root/logs/$name.log" || tail -n 40 "/root/logs/$name.log"
    fi
    # ctest's count, e.g. "100% tests passed, 0 tests failed out of 101".
    sed -n 's/^\([0-9]*% tests passed.*\)/    \1/p' "/root/logs/$name.log" >>/root/logs/summary
}

inside() {
    cd "$clone"
    step make-test make test
    step make-run xvfb-run -a -s "$x_screen" bash tools/fresh-root.sh --clock-stays-up
    step make-package make package
    step same-package same_package_elsewhere
    step apt-install install_package
    step package-test installed_package_test
}

# ---- outside: make the root, run the steps in it, remove it ------------------------------------

# Processes whose root is ours are ours: end them, so that every mount can go.
end_processes_in_root() {
    local proc pid
    for proc in /proc/[0-9]*; do
        [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ] || continue
        pid=${proc#/proc/}
        kill -KILL "$pid" 2>/dev/null || true
    done
}

mounted_below_root() {
    awk -v root="$root" '$2 == root || index($2, root "/") == 1 {print $2}' /proc/self/mounts
}

cleanup() {
    local status=$?
    trap - EXIT INT TERM HUP
    [ -z "$child" ] || kill "$child" 2>/dev/null || true
    end_processes_in_root
    sleep 0.5
    local i
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}" || true
    done
    # Never delete through a mount: a bound /dev or package cache would go with the root.
    if [ -n "$(mounted_below_root)" ]; then
        echo "Still mounted, $work is left in place: $(mounted_below_root | tr '\n' ' ')" >&2
        exit 1
    fi
    rm -rf --one-file-system "$work"
    exit "$status"
}

# Runs "$@" in the background and waits, so that a signal reaches the trap at once.
run_waiting() {
    "$@" &
    child=$!
    local status=0
    wait "$child" || status=$?
    child=""
    return "$status"
}

do_mount() {
    local target=$1
    shift
    mkdir -p "$target"
    mount "$@" "$target"
    mounts+=("$target")
}

# in_root [--no-network] COMMAND...: runs COMMAND in the clone as root, with a clean environment.
in_root() {
    local network=()
    if [ "$1" = --no-network ]; then
        network=(unshare --net)
        shift
    fi
    run_waiting "${network[@]}" chroot "$root" env -i HOME=/root TERM=dumb \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        bash -c "cd $clone && $*"
}

outside() {
    release=${1:-}
    if [ $# -ne 1 ] || ! [[ $release =~ ^[a-z]+$ ]]; then
        echo "usage: $0 RELEASE   (a Debian release name, e.g. bookworm, trixie or forky)" >&2
        exit 2
    fi
    if [ "$(id -u)" -ne 0 ]; then
        echo "$0 makes a root with debootstrap and mounts in it: run it as root" >&2
        exit 1
    fi
    source_dir=$(cd "$(dirname "$0")/.." && pwd)
    head=$(git -C "$source_dir" rev-parse HEAD)
    if [ -n "$(git -C "$source_dir" status --porcelain --untracked-files=no)" ]; then
        echo "Note: uncommitted changes are not tried; the root gets commit $head"
    fi
    if ! command -v debootstrap >/dev/null; then
        echo "Installing debootstrap"
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q debootstrap >/dev/null
    fi

    work=$(mktemp -d /var/tmp/chronwick-fresh-root.XXXXXX)
    root="$work/root"
    mounts=()
    child=""
    trap cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM HUP

    started=$(date +%s)
    mkdir -p "$cache/$release-debs/partial"
    base="$cache/$release.tar"
    if [ -z "$(find "$base" -mtime -7 2>/dev/null)" ]; then
        echo "== making the $release base root (debootstrap, kept in $base)"
        # The mirror this machine's apt uses; only git and make beyond the minimal base. A
        # release newer than this debootstrap knows (Debian 14 from Debian 12) is made with the
        # script of sid, which every newer release's is a copy of.
        local mirror script=/usr/share/debootstrap/scripts/$release
        # shellcheck disable=SC2016 # apt's own $(FIELD) syntax
        mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Created-By: Packages' |
            awk '$2 !~ /-(security|updates|backports)$/ {print $1; exit}')
        [ -e "$script" ] || script=/usr/share/debootstrap/scripts/sid
        run_waiting debootstrap --variant=minbase --include=git,make "$release" "$work/base" \
            "${mirror:-http://deb.debian.org/debian/}" "$script" >"$work/debootstrap.log" 2>&1 || {
            tail -n 20 "$work/debootstrap.log" >&2
            echo "debootstrap $release failed" >&2
            exit 1
        }
        # The packages debootstrap fetched are installed: no need to keep them in the tarball.
        rm -f "$work/base"/var/cache/apt/archives/*.deb
        tar -C "$work/base" -cf "$base.new" .
        mv "$base.new" "$base"
        rm -rf --one-file-system "$work/base"
    fi
    mkdir "$root"
    tar -C "$root" -xf "$base"
    prepared=$(date +%s)

    cp /etc/resolv.conf "$root/etc/resolv.conf"
    # A mirror's copy of the testing release may be a snapshot whose Release file is past its
    # Valid-Until date; this throwaway root accepts it, and nothing the project installs does.
    echo 'Acquire::Check-Valid-Until "false";' >"$root/etc/apt/apt.conf.d/99fresh-root-snapshot"
    # No services start inside the root.
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod +x "$root/usr/sbin/policy-rc.d"
    do_mount "$root/proc" -t proc proc
    do_mount "$root/sys" -t sysfs sysfs
    do_mount "$root/dev" --bind /dev
    do_mount "$root/dev/pts" --bind /dev/pts
    do_mount "$root/dev/shm" -t tmpfs tmpfs
    do_mount "$root/var/cache/apt/archives" --bind "$cache/$release-debs"

    git clone -q --no-checkout "$source_dir" "$root$clone"
    git -C "$root$clone" checkout -q --detach "$head"
    mkdir -p "$root/root/logs"

    echo "== $release root ready ($((prepared - started)) s); commit $head"

    # Set-up needs the network; everything after it runs in a network namespace of its own, so that
    # the X servers in the root cannot meet those of the machine (X's abstract sockets are per
    # network namespace) and nothing there downloads.
    setup_start=$(date +%s)
    setup_status=passed
    in_root tools/setup-debian.sh >"$work/setup.log" 2>&1 || {
        setup_status=FAILED
        tail -n 30 "$work/setup.log"
    }
    setup_end=$(date +%s)
    if [ $setup_status = passed ]; then
        in_root --no-network bash tools/fresh-root.sh --inside || true
    fi

    echo
    echo "Debian $release ($(cat "$root/etc/debian_version")), fresh root, commit ${head:0:12}:"
    printf '%-16s %s  %4d s\n' base-root ready $((prepared - started))
    printf '%-16s %s  %4d s\n' set-up "$setup_status" $((setup_end - setup_start))
    [ ! -f "$root/root/logs/summary" ] || cat "$root/root/logs/summary"
    echo "total: $(($(date +%s) - started)) s"
    # Every step must have passed, also none cut short.
    local steps_passed steps
    steps_passed=$(grep -c ' passed ' "$root/root/logs/summary" 2>/dev/null) || true
    steps=$(declare -f inside | grep -c '^ *step ')
    if [ $setup_status != passed ] || [ "${steps_passed:-0}" -ne "$steps" ]; then
        rm -rf "/var/tmp/chronwick-fresh-root-$release-logs"
        cp -r "$root/root/logs" "/var/tmp/chronwick-fresh-root-$release-logs"
        cp "$work/setup.log" "/var/tmp/chronwick-fresh-root-$release-logs/" 2>/dev/null || true
        echo "Logs of the steps: /var/tmp/chronwick-fresh-root-$release-logs/"
        exit 1
    fi
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
