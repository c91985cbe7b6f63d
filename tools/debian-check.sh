#!/usr/bin/env bash
# Builds the source package of the current commit and checks it with Debian's own tools, for each
# release given (default: bookworm and forky, Debian 12 and 14):
#   sbuild        builds it in a clean chroot of the release and runs the test suite there
#   lintian       -I --pedantic on the result, in that chroot: no error and no warning
#   autopkgtest   debian/tests on the built package, in another clean root of the release
# and once, on this machine, reprotest: two builds with varied time, paths, user, locale and
# more give the same .deb. Prints each step's result and time; fails if any step fails.
#
# usage: tools/debian-check.sh [RELEASE...]   (as root, or a user with subordinate ids)
#
# The chroots run in user namespaces (unshare mode), so nothing is mounted on this machine. Each
# release's root is a tarball made by mmdebstrap, kept in /var/cache/chronwick-roots/ and made
# anew when a week old. Only a failed run keeps its logs, in /var/tmp/chronwick-debian-check-logs/.
# Steps call most functions by name.
# shellcheck disable=SC2317
set -euo pipefail

readonly cache=/var/cache/chronwick-roots
readonly logs=/var/tmp/chronwick-debian-check-logs
source_dir=$(cd "$(dirname "$0")/.." && pwd)
releases=("$@")
[ ${#releases[@]} -ne 0 ] || releases=(bookworm forky)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
tools=(sbuild mmdebstrap autopkgtest lintian reprotest newuidmap)
for tool in "${tools[@]}"; do
    if ! command -v "$tool" >/dev/null; then
        echo "Installing Debian's packaging tools"
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
            -o DPkg::Lock::Timeout=600 sbuild mmdebstrap autopkgtest lintian reprotest uidmap \
            faketime >/dev/null
        break
    fi
done
# shellcheck source=tools/unshare_root.sh
source "$source_dir/tools/unshare_root.sh"
ensure_subordinate_ids

work=$(mktemp -d /var/tmp/chronwick-debian-check.XXXXXX)
trap 'rm -rf "$work"' EXIT
started=$(date +%s)

# The committed tree only, as a clean clone gives it.
git clone -q "$source_dir" "$work/chronwick"
(cd "$work" && dpkg-source -b chronwick >"$work/source.log")
dsc=$(echo "$work"/chronwick_*.dsc)
version=$(dpkg-parsechangelog -l "$work/chronwick/debian/changelog" -S Version)
distribution=$(dpkg-parsechangelog -l "$work/chronwick/debian/changelog" -S Distribution)
echo "== source package ${dsc##*/}, commit $(git -C "$source_dir" rev-parse --short=12 HEAD)"

summary=()
failed=0
# Runs "$@" as step NAME with its output in $work/logs/NAME.log; records the result and time.
step() {
    local name=$1 start status=0
    shift
    echo "== $name"
    mkdir -p "$work/logs"
    start=$(date +%s)
    "$@" >"$work/logs/$name.log" 2>&1 || status=$?
    local result=passed
    if [ "$status" -ne 0 ]; then
        result=FAILED
        failed=$((failed + 1))
        tail -n 40 "$work/logs/$name.log"
    fi
    summary+=("$(printf '%-22s %s  %4d s' "$name" "$result" $(($(date +%s) - start)))")
}

# A clean root of the release for sbuild and autopkgtest: the buildd variant (build-essential),
# and apt accepting a testing snapshot past its Valid-Until date (in the throwaway root only).
make_root() {
    local release=$1 tarball=$cache/$1.tar
    [ -z "$(find "$tarball" -mtime -7 2>/dev/null)" ] || return 0
    mkdir -p "$cache"
    mmdebstrap --mode=unshare --variant=buildd --format=tar \
        --aptopt='Acquire::Check-Valid-Until "false"' \
        "$release" "$tarball.part" "$(apt_mirror)" &&
        mv "$tarball.part" "$tarball"
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

# sbuild with the test suite and lintian in the chroot. Any lintian tag fails the step but the
# accepted ones above, which may only be notes (I: or P:).
# The window scenarios' compat runtime is an alternative that sbuild must be allowed to choose.
build_in_chroot() {
    local release=$1 out=$work/$1
    mkdir -p "$out"
    (cd "$out" && sbuild --chroot-mode=unshare --chroot="$cache/$release.tar" \
        --dist="$distribution" --resolve-alternatives --no-run-piuparts --no-run-autopkgtest \
        --run-lintian --lintian-opts=-I --lintian-opts=--pedantic "$dsc")
    local log
    log=$out/chronwick_${version}_$(dpkg --print-architecture).build
    sed -n '/^Running lintian/,/^I: Lintian run/p' "$log" >"$out/lintian.txt"
    cat "$out/lintian.txt"
    grep -E '^[A-Z]: chronwick' "$out/lintian.txt" | sed "s/^/lintian on $release: /" \
        >"$work/lintian-tags-$release" || true
    local accepted
    accepted=$(IFS='|' && echo "${accepted_tags[*]}")
    if grep -E '^[A-Z]: chronwick' "$out/lintian.txt" |
        grep -q -v -E "^[IP]: [^:]+: ($accepted)( |$)"; then
        echo "lintian reports tags beyond the accepted ones"
        return 1
    fi
    grep -q '^Status: successful' "$log"
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
    "$source_dir/tools/setup-debian.sh" run
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
    step reprotest reproducible

    echo
    echo "Debian package $version, checked with Debian's tools:"
    printf '%s\n' "${summary[@]}"
    cat "$work"/lintian-tags-* 2>/dev/null || true
    echo "total: $(($(date +%s) - started)) s"
    if [ "$failed" -ne 0 ]; then
        rm -rf "$logs"
        mkdir -p "$logs"
        cp "$work"/logs/*.log "$logs"/
        cp "$work"/*/chronwick_*.build "$logs"/ 2>/dev/null || true
        echo "Logs of the steps: $logs/"
        exit 1
    fi
    exit
}
