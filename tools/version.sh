#!/usr/bin/env bash
# Prints the release of the newest entry of debian/changelog as "VERSION EPOCH", such as
# "1.0.0 1796601600": its version, and its time in seconds since 1970. CMake (for the clock, the
# man page, the AppStream data and the Windows downloads), the Makefile and the scripts take both
# from here; dpkg takes the same from the same entry for the Debian package.
set -euo pipefail
changelog=$(dirname "$0")/../debian/changelog
version=$(dpkg-parsechangelog -l "$changelog" -S Version)
epoch=$(dpkg-parsechangelog -l "$changelog" -S Timestamp)
echo "$version $epoch"
