#!/usr/bin/env bash
# Builds the source package of the current commit and checks it with Debian's own tools, for each
# release given (default: bookworm and forky, Debian 12 and 14):
#   sbuild        builds it in a clean chroot of the release and runs the test suite there
#   lintian       -I --pedantic on the result, in that chroot: no error and no warning
#   autopkgtest   debian/tests on the built package, in another clean root of the release
# and once, on this machine when its release is among them, reprotest: two builds with varied
# time, paths, user, locale and more give the same .deb. Prints each step's result and time;
# fails if any step fails.
#
# usage: tools/debian-check.sh [RELEASE...]   (as root, or a user with subordinate ids)
#        tools/debian-check.sh --out=DIR RELEASE...   also copies the first release's source
#                                                     package and .debs to DIR
#        tools/debian-check.sh --host=ARCH [--out=DIR] [--suite] [--autopkgtest=R1,R2] [RELEASE]
# With --host (arm64, armhf) it cross-builds the package for ARCH instead, with sbuild and lintian
# in the release's root (default: bookworm), and copies the .deb to DIR (default: .). With --suite
# the in-process tests are cross-built there too and run under qemu-user with SDL's dummy driver;
# --autopkgtest runs debian/tests on the .deb in emulated ARCH roots of R1, R2. These two register
# qemu-user-static with binfmt_misc (as root) where it is not; the build itself does not need it.
#
# The chroots run in user namespaces (unshare mode), so nothing is mounted on this machine. Each
# release's root is a tarball made by mmdebstrap, kept in /var/cache/chronwick-roots/ and made
# anew when a week old. Only a failed run keeps its logs, in /var/tmp/chronwick-debian-check-logs/.
# Steps call most functions by name.
# shellcheck disable=SC2317
set -euo pipefail

readonly cache=/var/cache/chronwick-roots
# lintian's tags, in the summary below the step that found them.
readonly summary_lines='^[A-Z]: chronwick|tests passed|\*\*\*Skipped'
host='' out_dir='' sbuild_options=() emulated=()
while [[ ${1:-} == --* ]]; do
    case $1 in
    --host=*) host=${1#*=} ;;
    --out=*) out_dir=$(realpath "${1#*=}") ;;
    --suite) suite=1 ;;
    --autopkgtest=*) IFS=, read -r -a emulated <<<"${1#*=}" ;;
    *) echo "unknown option $1" >&2 && exit 2 ;;
    esac
    shift
done
releases=("$@")
[ ${#releases[@]} -ne 0 ] || releases=(bookworm forky)
[ -z "$host" ] || releases=("${1:-bookworm}")
emulation=()
[ -z "${suite:-}${emulated[*]}" ] || emulation=(qemu-user-static binfmt-support)
# shellcheck source=tools/unshare_root.sh
source "$(dirname "$0")/unshare_root.sh"
begin_checks debian-check sbuild mmdebstrap autopkgtest lintian reprotest uidmap faketime arch-test \
    "${emulation[@]}"
# The tests start ARCH programs of their own, which binfmt_misc must hand to qemu-user: mounted
# and registered here where they are not (as root).
cpu=$(dpkg-architecture -a"${host:-amd64}" -qDEB_HOST_GNU_CPU 2>/dev/null)
binfmt=/proc/sys/fs/binfmt_misc
if [ ${#emulation[@]} -ne 0 ] && ! grep -qs '^enabled' "$binfmt/qemu-$cpu"; then
    mountpoint -q "$binfmt" || mount -t binfmt_misc binfmt_misc "$binfmt" || true
    update-binfmts --enable "qemu-$cpu" || true
    grep -qs '^enabled' "$binfmt/qemu-$cpu" ||
        { echo "--suite and --autopkgtest need qemu-$cpu registered with binfmt_misc (as root)" >&2 && exit 1; }
fi

(cd "$work" && dpkg-source -b chronwick >"$logs/source.log")
dsc=$(echo "$work"/chronwick_*.dsc)
version=$("$work/chronwick/tools/version.sh")
version=${version% *}
distribution=$(dpkg-parsechangelog -l "$work/chronwick/debian/changelog" -S Distribution)
echo "== source package ${dsc##*/}, commit ${head:0:12}"

# A clean root of the release for sbuild and autopkgtest, the buildd variant (build-essential);
# with an architecture, an emulated root of it for installed-clock alone, with apt and the test's
# tools (but the SDL runtime alternatives), which apt would take minutes to install there at each
# run.
make_root() {
    local tarball=$cache/$1${2:+-$2}.tar variant=buildd
    [ -z "$(find "$tarball" -mtime -7 2>/dev/null)" ] || return 0
    [ -z "${2:-}" ] || variant="apt --architectures=$2 --include=$(sed -n '/^Tests: installed-clock/,/^Restrictions/{
        /^ [a-z][^|]*,$/s/^ \([^ ,]*\).*/\1/p}' "$work/chronwick/debian/tests/control" | paste -sd,)"
    mkdir -p "$cache"
    # shellcheck disable=SC2086 # the variant's words
    debian_root "$1" "$tarball.part" --variant=$variant --format=tar && mv "$tarball.part" "$tarball"
}

# The lintian of a newer release notes these, which the same source cannot avoid while it builds on
# Debian 12 too; overrides in the package cannot name them, as Debian 12's lintian rejects tags it
# does not know and notes overrides it does not use.
accepted_tags=(
    out-of-date-standards-version             # Debian 12's policy is 4.6.2
    package-uses-old-debhelper-compat-version # 13 is Debian 12's newest stable level
    redundant-priority-optional-field         # Debian 12's lintian asks for the field
    redundant-rules-requires-root-no-field    # Debian 12's dpkg does not take "no" as the default
)

# sbuild with the test suite and lintian in the chroot, its build log in the step's. Any lintian
# tag fails the step but the accepted ones above, which may only be notes (I: or P:).
# The window scenarios' compat runtime is an alternative that sbuild must be allowed to choose.
build_in_chroot() {
    local release=$1 out=$work/$1 log accepted
    mkdir -p "$out"
    (cd "$out" && sbuild --verbose --chroot-mode=unshare --chroot="$cache/$release.tar" \
        --dist="$distribution" --resolve-alternatives --no-run-piuparts --no-run-autopkgtest \
        --run-lintian --lintian-opts=-I --lintian-opts=--pedantic "${sbuild_options[@]}" "$dsc")
    log=$out/chronwick_${version}_${host:-$(dpkg --print-architecture)}.build
    accepted=$(IFS='|' && echo "${accepted_tags[*]}")
    if sed -n '/^Running lintian/,/^I: Lintian run/p' "$log" | grep -E '^[A-Z]: chronwick' |
        grep -q -v -E "^[IP]: [^:]+: ($accepted)( |$)"; then
        echo "lintian reports tags beyond the accepted ones"
        return 1
    fi
    grep -q '^Status: successful' "$log" || return 1
    # make release ships the source package and the .deb of the first release (Debian 12).
    if [ -n "$out_dir" ] && [ -z "$host" ] && [ "$release" = "${releases[0]}" ]; then
        cp "$dsc" "${dsc%.dsc}.tar.xz" "$out/chronwick_${version}_"*.deb "$out_dir/"
    fi
}

# sbuild cross-builds for $host (with the test profile off, as a cross build cannot run the tests),
# and with --suite then builds the in-process tests in the same root, against the $host libraries,
# and runs them there, under qemu-user through binfmt_misc as they also start programs of their
# own: not the window scenarios, nor the benchmarks.
cross_build() {
    sbuild_options=(--host="$host")
    [ -z "${suite:-}" ] || sbuild_options+=(--add-depends=libgtest-dev --finished-build-commands="cd %p && dpkg-architecture -a%a -c dh_auto_configure -B obj-suite -- -DCHRONWICK_HARDENING=OFF -DCHRONWICK_BENCH=OFF -DCHRONWICK_HOST_NUMERAL_GEN=\$(echo \$PWD/obj-*/numeral_gen-native) && cmake --build obj-suite -j$(nproc) && cd obj-suite && ctest -LE e2e -j$(nproc) --output-on-failure")
    build_in_chroot "$1" && mkdir -p "${out_dir:=.}" && cp "$work/$1/chronwick_${version}_$host.deb" "$out_dir/"
}

# debian/tests on the package sbuild built, in a fresh root of the same release; a cross-built
# one in an emulated root, there the clock under X alone (docs/raspberry-pi.md says why).
test_installed() {
    local release=$1 built=${host:+${releases[0]}} debs options=(--apt-upgrade)
    debs=("$work/${built:-$1}/chronwick_${version}_"*.deb)
    # Emulated, an upgrade of the week-old root would take minutes: apt only learns what is new.
    [ -z "$host" ] ||
        options=(--setup-commands='apt-get update' --test-name=installed-clock --env=CHRONWICK_EMULATED=1)
    autopkgtest "${options[@]}" "${debs[@]}" "$dsc" -- \
        unshare --tarball "$cache/$release${host:+-$host}.tar"
}

# Two builds here, the second with the time, build path, locale, time zone, umask, kernel,
# number of processors and environment varied, give the same .deb. Without the test suite: it
# adds nothing to the bytes, and building needs only what make run installs.
reproducible() {
    "$work/chronwick/tools/setup-debian.sh" run
    (cd "$work" && DEB_BUILD_OPTIONS=nocheck reprotest \
        --vary=-fileordering,-domain_host,-user_group "${dsc##*/}" -- null)
}

# The whole script is read before anything runs, so that editing it meanwhile cannot upset a
# run: bash parses this block, the exit with it, before it runs any of it.
{
    if [ -n "$host" ]; then
        step "${releases[0]}-root" make_root "${releases[0]}"
        step "${releases[0]}-$host-sbuild-lintian${suite:+-suite}" cross_build "${releases[0]}"
        for release in "${emulated[@]}"; do
            step "$release-$host-root" make_root "$release" "$host"
            step "$release-$host-autopkgtest" test_installed "$release"
        done
        end_checks "Debian package $version for $host, cross-built with Debian's tools:" \
            $((2 + 2 * ${#emulated[@]}))
        exit
    fi
    for release in "${releases[@]}"; do
        step "$release-root" make_root "$release"
        step "$release-sbuild-lintian" build_in_chroot "$release"
        step "$release-autopkgtest" test_installed "$release"
    done
    steps=$((3 * ${#releases[@]}))
    if [[ " ${releases[*]} " == *" $(. /etc/os-release && echo "$VERSION_CODENAME") "* ]]; then
        step reprotest reproducible
        steps=$((steps + 1))
    fi
    end_checks "Debian package $version, checked with Debian's tools:" "$steps"
    exit
}
