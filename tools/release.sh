#!/usr/bin/env bash
# Makes every download of the version in debian/changelog in dist/VERSION/, from the current
# commit of a tree with no uncommitted change:
#   chronwick-VERSION.tar.gz              the source, from git: the same bytes from one commit
#   chronwick_VERSION.dsc, .tar.xz        the Debian source package and the amd64 .deb, built
#   chronwick_VERSION_amd64.deb           and checked by tools/debian-check.sh in its Debian 12 root
#   chronwick_VERSION_ARCH.deb            arm64 and armhf, cross-built and tested by make arm-check
#   chronwick-VERSION-win64.zip, -setup.exe   make windows (signed when CHRONWICK_SIGN_CERT is set)
#   *.yaml, chronwick.json                the winget and Scoop manifests
#   SHA256SUMS, SHA256SUMS.asc            the sums; signed when CHRONWICK_GPG_KEY names a key
# and dist/chronwick-VERSION-notes.md, the version's section of NEWS.md.
#
# usage: release.sh                  all of it
#        release.sh manifests DIR    only the manifests, for the Windows files in DIR
#        release.sh check DIR        only the check of the manifests in DIR
#        release.sh sums DIR         only SHA256SUMS (and .asc) of the files in DIR
# CHRONWICK_RELEASE_URL: where the forge serves the version's files, @ standing for the version.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
read -r version _ < <(tools/version.sh)
release_url=${CHRONWICK_RELEASE_URL:-https://github.com/quillmark/chronwick/releases/download/v@}
release_url=${release_url//@/$version}
readonly winget_id=Quillmark.Chronwick
# The installer's uninstall key (packaging/windows/installer.nsi), by which winget finds it.
product_code=$(sed -n 's/^!define UNINSTALL_KEY ".*\\\([^\\]*\)"$/\1/p' \
    packaging/windows/installer.nsi)

fail() {
    echo "release.sh: $*" >&2
    exit 1
}

# The winget manifest (version, locale, installer) and the Scoop one, for the files in $1.
manifests() {
    local dir=$1 zip=chronwick-$version-win64.zip setup=chronwick-$version-win64-setup.exe
    local head="PackageIdentifier: $winget_id
PackageVersion: \"$version\"" tail='ManifestVersion: 1.10.0'
    local zip_sum setup_sum
    zip_sum=$(sha256sum "$dir/$zip" | cut -d' ' -f1)
    setup_sum=$(sha256sum "$dir/$setup" | cut -d' ' -f1)
    printf '%s\nDefaultLocale: en-US\nManifestType: version\n%s\n' "$head" "$tail" \
        >"$dir/$winget_id.yaml"
    cat >"$dir/$winget_id.locale.en-US.yaml" <<EOF
$head
PackageLocale: en-US
Publisher: The Chronwick developers
PackageName: Chronwick
PackageUrl: https://quillmark.org/chronwick/
License: MIT
ShortDescription: A desktop clock that tells the local time in Klingon, in words and numerals.
ManifestType: defaultLocale
$tail
EOF
    cat >"$dir/$winget_id.installer.yaml" <<EOF
$head
InstallerType: nullsoft
Scope: user
ProductCode: $product_code
Installers:
  - Architecture: x64
    InstallerUrl: $release_url/$setup
    InstallerSha256: "${setup_sum^^}"
ManifestType: installer
$tail
EOF
    # Scoop: config.cwk goes to Scoop's persist folder as the old version is uninstalled (update
    # or uninstall) and comes back as a new one is installed. Not "persist": its hard link breaks at the clock's first save (a new
    # file moved over the old), and a missing file becomes a folder, where no save can go.
    cat >"$dir/chronwick.json" <<EOF
{
    "version": "$version",
    "description": "A desktop clock that tells the local time in Klingon",
    "homepage": "https://quillmark.org/chronwick/",
    "license": "MIT",
    "architecture": {"64bit": {"url": "$release_url/$zip", "hash": "$zip_sum"}},
    "extract_dir": "chronwick-$version-win64",
    "shortcuts": [["chronwick.exe", "Chronwick"]],
    "uninstaller": {
        "script": "if (Test-Path \"\$dir\\\\config.cwk\" -PathType Leaf) { New-Item -ItemType Directory -Force \$persist_dir | Out-Null; Copy-Item \"\$dir\\\\config.cwk\" \$persist_dir -Force }"
    },
    "installer": {
        "script": "if (Test-Path \"\$persist_dir\\\\config.cwk\" -PathType Leaf) { Copy-Item \"\$persist_dir\\\\config.cwk\" \$dir }"
    }
}
EOF
}

# The manifests in $1 against their schemas, and their hashes against the files there.
check() {
    local schemas=packaging/schemas
    python3 tools/check_schemas.py --files "$1" \
        "$schemas/winget-version.json" "$1/$winget_id.yaml" \
        "$schemas/winget-defaultLocale.json" "$1/$winget_id.locale.en-US.yaml" \
        "$schemas/winget-installer.json" "$1/$winget_id.installer.yaml" \
        "$schemas/scoop.json" "$1/chronwick.json"
}

# SHA256SUMS of the files in $1, and with CHRONWICK_GPG_KEY its detached signature.
sums() {
    (cd "$1" && rm -f SHA256SUMS* && sha256sum -- * >SHA256SUMS && sha256sum -c --quiet SHA256SUMS)
    if [ -n "${CHRONWICK_GPG_KEY:-}" ]; then
        gpg --batch --yes --local-user "$CHRONWICK_GPG_KEY" --armor --detach-sign "$1/SHA256SUMS"
        gpg --batch --verify "$1/SHA256SUMS.asc" "$1/SHA256SUMS"
    fi
}

# Read whole before it runs, so that editing this file meanwhile cannot upset a run.
{
    if [[ ${1:-} == @(manifests|check|sums) && $# -eq 2 ]]; then
        "$1" "$2"
        exit
    fi
    [ $# -eq 0 ] || fail "usage: release.sh [manifests|check|sums DIR]"
    [ -n "$product_code" ] || fail "packaging/windows/installer.nsi defines no UNINSTALL_KEY"
    [ -z "$(git status --porcelain)" ] || fail "the tree has uncommitted changes; commit them first"
    notes=$(sed -n "/^## $version\( \|$\)/,/^## /{/^## /!p}" NEWS.md)
    [ -n "$notes" ] || fail "NEWS.md has no section '## $version'"
    dist=dist/$version
    rm -rf "$dist"
    mkdir -p "$dist"
    printf '%s\n' "$notes" >"dist/chronwick-$version-notes.md"
    git archive --format=tar --prefix="chronwick-$version/" HEAD |
        gzip -n -9 >"$dist/chronwick-$version.tar.gz"
    # The source package and the .deb as the Debian 12 checks built and tested them.
    tools/debian-check.sh --out="$dist" bookworm
    # The arm64 and armhf packages, cross-built, tested under emulation and copied here.
    make --no-print-directory arm-check BUILD="$dist"
    make --no-print-directory windows
    cp "${WINDOWS_BUILD:-build-windows}/chronwick-$version-win64"{.zip,-setup.exe} "$dist/"
    manifests "$dist"
    check "$dist"
    sums "$dist"
    ls -l "$dist"
    exit
}
