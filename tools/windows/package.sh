#!/bin/bash
# Makes the two Windows downloads from a built tree:
#   OUT/chronwick-VERSION-win64.zip        the folder chronwick-VERSION-win64/ to unpack anywhere
#   OUT/chronwick-VERSION-win64-setup.exe  a per-user installer of the same files
#
# usage: package.sh EXE PREFIX RUNTIME MANIFEST VERSION EPOCH OUT
#   EXE       the cross-built clock (installed as chronwick.exe)
#   PREFIX    the Windows library prefix: bin/SDL.dll, licenses/, source/
#   RUNTIME   the runtime folder: Fonts/ (7 .ttf) and graphics/ (33 .gif)
#   MANIFEST  assets/fonts.manifest; the 4th field names each font's Debian package, whose
#             /usr/share/doc/PKG/copyright ships as licenses/PKG.txt (PKG is fonts-...)
#   VERSION   the release, such as 1.0.0
#   EPOCH     SOURCE_DATE_EPOCH: the time of every zip entry
#   OUT       the folder to write the two files to
# STRIP names the mingw strip (default x86_64-w64-mingw32-strip). With CHRONWICK_SIGN_CERT set,
# the programs are signed (packaging/windows/sign.sh).
# Identical inputs give byte-identical files, whatever the inputs' file times, owners, modes or
# the order a folder lists them in, and whenever the exe and DLL were linked: the entries go in
# sorted, with one time, no owner fields and fixed modes, and the installer stores no times.
set -euo pipefail

if [ $# -ne 7 ]; then
    sed -n '6,15p' "$0" >&2
    exit 2
fi
exe=$1 prefix=$2 runtime=$3 manifest=$4 version=$5 epoch=$6 out=$7
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
packaging=$root/packaging/windows
name=chronwick-$version-win64

fail() {
    echo "package.sh: $*" >&2
    exit 1
}

[[ $version =~ ^[0-9]+(\.[0-9]+){0,3}$ ]] || fail "VERSION must be numbers and dots, not '$version'"
[[ $epoch =~ ^[0-9]+$ ]] || fail "EPOCH must be seconds since 1970, not '$epoch'"
for file in "$exe" "$prefix/bin/SDL.dll" "$manifest"; do
    [ -f "$file" ] || fail "$file is missing"
done
for folder in "$prefix/licenses" "$prefix/source" "$runtime/Fonts" "$runtime/graphics"; do
    [ -d "$folder" ] || fail "$folder is missing"
done
fonts=$(find "$runtime/Fonts" -maxdepth 1 -name '*.ttf' | wc -l)
pictures=$(find "$runtime/graphics" -maxdepth 1 -name '*.gif' | wc -l)
[ "$fonts" -eq 7 ] || fail "$runtime/Fonts holds $fonts .ttf files, not 7"
[ "$pictures" -eq 33 ] || fail "$runtime/graphics holds $pictures .gif files, not 33"
strip=${STRIP:-x86_64-w64-mingw32-strip}
for tool in zip makensis "$strip"; do
    command -v "$tool" >/dev/null || fail "$tool is missing (Debian package $tool)"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/chronwick-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
stage=$work/$name
mkdir -p "$stage/licenses" "$stage/source"

# cp -L: the runtime folder may hold links to the system's font files.
cp -L "$exe" "$stage/chronwick.exe"
cp -L "$prefix/bin/SDL.dll" "$stage/"
# Without debug data, and with EPOCH as the link time in the PE header, which the linker and
# strip otherwise set to the time they ran (both read SOURCE_DATE_EPOCH).
SOURCE_DATE_EPOCH=$epoch "$strip" "$stage/chronwick.exe" "$stage/SDL.dll"
# Authenticode when a certificate is named: these two here, the installer and its uninstaller
# as makensis writes them.
sign=()
if [ -n "${CHRONWICK_SIGN_CERT:-}" ]; then
    sign=(-DSIGN="$packaging/sign.sh")
    "$packaging/sign.sh" "$stage/chronwick.exe" "$stage/SDL.dll"
fi
cp -RL "$runtime/Fonts" "$runtime/graphics" "$stage/"
cp -RL "$prefix/licenses/." "$stage/licenses/"
cp -RL "$prefix/source/." "$stage/source/"

# One licence text per font package, from the build host's Debian package.
while IFS='|' read -r _ _ _ package _; do
    package=${package//[[:space:]]/}
    copyright=/usr/share/doc/$package/copyright
    [ -f "$copyright" ] || fail "$copyright is missing: install $package"
    cp "$copyright" "$stage/licenses/$package.txt"
done < <(sed -E '/^[[:space:]]*(#|$)/d' "$manifest")

# Text written here gets Windows line ends.
crlf() {
    sed 's/$/\r/'
}
# Chronwick's own licence: the copyright line and the MIT paragraph of debian/copyright, without
# its one-space indent and with its "." lines made empty again.
{
    sed -n 's/^Copyright: /Copyright /p' "$root/debian/copyright" | head -n 1
    echo
    sed -n '/^License: MIT$/,/^$/{/^ /{s/^ \.$//;s/^ //;p}}' "$root/debian/copyright"
} | crlf >"$stage/licenses/Chronwick-MIT.txt"
grep -q 'Permission is hereby granted' "$stage/licenses/Chronwick-MIT.txt" ||
    fail "no MIT licence text found in debian/copyright"
# UTF-8 with a byte order mark, so that Notepad before Windows 10 shows the "©" of the credits.
{
    printf '\xef\xbb\xbf'
    sed "s/@PROJECT_VERSION@/$version/g" "$packaging/README.txt.in" | crlf
} >"$stage/README.txt"

# Every licence file the README points to (fonts-*.txt as a pattern) must be there.
while read -r mentioned; do
    compgen -G "$stage/licenses/${mentioned#licenses\\}" >/dev/null ||
        fail "README.txt names $mentioned, which the prefix does not provide"
done < <(grep -oE 'licenses\\[A-Za-z0-9._*-]+' "$stage/README.txt" | sort -u)

# The same metadata whatever the inputs had.
find "$stage" -type d -exec chmod 755 {} +
find "$stage" -type f -exec chmod 644 {} +
find "$stage" -exec touch -h -d "@$epoch" {} +
mapfile -t files < <(cd "$stage" && find . -type f -printf '%P\n' | LC_ALL=C sort)
mapfile -t folders < <(cd "$stage" && find . -mindepth 1 -type d -printf '%P\n' | LC_ALL=C sort -r)
for file in "${files[@]}"; do
    [[ $file != *[\$\"\\]* ]] || fail "'$file': the installer script cannot name this file"
done

mkdir -p "$out"
out=$(cd "$out" && pwd)
zip_file=$out/$name.zip
setup_file=$out/$name-setup.exe
rm -f "$zip_file" "$setup_file"

# -X: no owner or extra time fields; -D: no folder entries. zip stores local time: UTC here.
(cd "$work" && printf "$name/%s\n" "${files[@]}" | TZ=UTC zip -q -X -D -9 -@ "$zip_file")

# The installer's file list: extract each file into its folder; uninstall deletes the files,
# then the folders, deepest first, each only if then empty.
{
    echo '!macro CHRONWICK_INSTALL_FILES'
    folder=-
    for file in "${files[@]}"; do
        dir=$(dirname "$file")
        if [ "$dir" != "$folder" ]; then
            folder=$dir
            if [ "$dir" = . ]; then
                echo "    SetOutPath \"\$INSTDIR\""
            else
                echo "    SetOutPath \"\$INSTDIR\\${dir//\//\\}\""
            fi
        fi
        echo "    File \"$stage/$file\""
    done
    echo '!macroend'
    echo '!macro CHRONWICK_UNINSTALL_FILES'
    for file in "${files[@]}"; do
        echo "    Delete \"\$INSTDIR\\${file//\//\\}\""
    done
    # Reverse order puts every folder before the one that holds it.
    for dir in "${folders[@]}"; do
        echo "    RMDir \"\$INSTDIR\\${dir//\//\\}\""
    done
    echo '!macroend'
} >"$work/files.nsh"

size_kb=$(cd "$stage" && find . -type f -printf '%s\n' | awk '{ s += $1 } END { print int((s + 1023) / 1024) }')
IFS=. read -r -a parts <<<"$version.0.0.0"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" \
    -DVERSION_QUAD="${parts[0]}.${parts[1]}.${parts[2]}.${parts[3]}" -DSIZE_KB="$size_kb" \
    -DFILES="$work/files.nsh" -DOUTFILE="$setup_file" "${sign[@]}" "$packaging/installer.nsi"

for file in "$zip_file" "$setup_file"; do
    echo "$file $(stat -c %s "$file") bytes"
done
