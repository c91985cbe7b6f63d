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
#
# The chroots run in user namespaces (unshare mode), so nothing is mounted on this machine. Each
# release's root is a tarball made by mmdebstrap, kept in /var/cache/chronwick-roots/ and made
# anew when a week old. Only a failed run keeps its logs, in /var/tmp/chronwick-debian-check-logs/.
# Steps call most functions by name.
# shellcheck disable=SC2317
set -euo pipefail

readonly cache=/var/cache/chronwick-roots
# lintian's tags, in the summary below the step that found them.
readonly summary_lines='^[A-Z]: chronwick'
out_dir=""
if [[ ${1:-} == --out=* ]]; then
    out_dir=$(realpath "${1#*=}")
    shift
fi
releases=("$@")
[ ${#releases[@]} -ne 0 ] || releases=(bookworm forky)
# shellcheck source=tools/unshare_root.sh
source "$(dirname "$0")/unshare_root.sh"
begin_checks debian-check sbuild mmdebstrap autopkgtest lintian reprotest uidmap faketime

(cd "$work" && dpkg-source -b chronwick >"$logs/source.log")
dsc=$(echo "$work"/chronwick_*.dsc)
version=$("$work/chronwick/tools/version.sh")
version=${version% *}
distribution=$(dpkg-parsechangelog -l "$work/chronwick/debian/changelog" -S Distribution)
echo "== source package ${dsc##*/}, commit ${head:0:12}"

# A clean root of the release for sbuild and autopkgtest, the buildd variant (build-essential).
make_root() {
    local tarball=$cache/$1.tar
    [ -z "$(find "$tarball" -mtime -7 2>/dev/null)" ] || return 0
    mkdir -p "$cache"
    debian_root "$1" "$tarball.part" --variant=buildd --format=tar && mv "$tarball.part" "$tarball"
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
        --run-lintian --lintian-opts=-I --lintian-opts=--pedantic "$dsc")
    log=$out/chronwick_${version}_$(dpkg --print-architecture).build
    accepted=$(IFS='|' && echo "${accepted_tags[*]}")
    if sed -n '/^Running lintian/,/^I: Lintian run/p' "$log" | grep -E '^[A-Z]: chronwick' |
        grep -q -v -E "^[IP]: [^:]+: ($accepted)( |$)"; then
        echo "lintian reports tags beyond the accepted ones"
        return 1
    fi
    grep -q '^Status: successful' "$log" || return 1
    # make release ships the source package and the .deb of the first release (Debian 12).
    if [ -n "$out_dir" ] && [ "$release" = "${releases[0]}" ]; then
        cp "$dsc" "${dsc%.dsc}.tar.xz" "$out/chronwick_${version}_"*.deb "$out_dir/"
    fi
}

# debian/tests on the package sbuild built, in a fresh root of the same release.
test_installed() {
    local release=$1 debs
    debs=("$work/$release/chronwick_${version}_"*.deb)
    autopkgtest --apt-upgrade "${debs[@]}" "$dsc" -- unshare --tarball "$cache/$release.tar"
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
