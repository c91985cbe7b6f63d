#!/bin/bash
# Makes the two Windows downloads from a built tree:
#   OUT/chronwick-VERSION-win64.zip        the folder chronwick-VERSION-win64/ to unpack anywhere
#   OUT/chronwick-VERSION-win64-setup.exe  a per-user installer of the same files
#
# usage: package.sh EXE PREFIX RUNTIME TEXTS VERSION EPOCH COPYRIGHT OUT
#   EXE        the cross-built clock (installed as chronwick.exe)
#   PREFIX     the Windows library prefix: bin/SDL.dll, licenses/, source/
#   RUNTIME    the runtime folder: Fonts/ (7 .ttf) and graphics/ (33 .gif)
#   TEXTS      README.txt and licenses/Chronwick-MIT.txt, filled in by CMake
#   VERSION    the release, such as 1.0.0
#   EPOCH      SOURCE_DATE_EPOCH: the time of every zip entry
#   COPYRIGHT  the copyright line, such as "2026 The Chronwick developers"
#   OUT        the folder to write the two files to
# Each font package that assets/fonts.manifest names ships its /usr/share/doc/PKG/copyright as
# licenses/PKG.txt. STRIP names the mingw strip (default x86_64-w64-mingw32-strip). With CHRONWICK_SIGN_CERT
# set, the programs are signed (packaging/windows/sign.sh).
# Identical inputs give byte-identical files, whatever the inputs' file times, owners, modes or
# the order a folder lists them in, and whenever the exe and DLL were linked: the entries go in
# sorted, with one time, no owner fields and fixed modes, and the installer stores no times.
set -euo pipefail

if [ $# -ne 8 ]; then
    sed -n '6,14p' "$0" >&2
    exit 2
fi
exe=$1 prefix=$2 runtime=$3 texts=$4 version=$5 epoch=$6 copyright=$7 out=$8
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
name=chronwick-$version-win64

fail() {
    echo "package.sh: $*" >&2
    exit 1
}

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
    sign=(-DSIGN="$here/sign.sh")
    "$here/sign.sh" "$stage/chronwick.exe" "$stage/SDL.dll"
fi
cp -RL "$runtime/Fonts" "$runtime/graphics" "$stage/"
cp -RL "$prefix/licenses/." "$stage/licenses/"
cp -RL "$prefix/source/." "$stage/source/"

# One licence text per font package, from the build host's Debian package.
while IFS='|' read -r _ _ _ package _; do
    copyright_file=/usr/share/doc/$package/copyright
    [ -f "$copyright_file" ] || fail "$copyright_file is missing: install $package"
    cp "$copyright_file" "$stage/licenses/$package.txt"
done < <(sh "$root/tools/find_fonts.sh" list "$root/assets/fonts.manifest")
cp -R "$texts/." "$stage/"

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
        # The file's folder as "" or "/Fonts", and so on.
        dir=./$file
        dir=${dir%/*}
        dir=${dir#.}
        if [ "$dir" != "$folder" ]; then
            folder=$dir
            echo "    SetOutPath \"\$INSTDIR${dir//\//\\}\""
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
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DCOPYRIGHT="$copyright" \
    -DVERSION_QUAD="${parts[0]}.${parts[1]}.${parts[2]}.${parts[3]}" -DSIZE_KB="$size_kb" \
    -DFILES="$work/files.nsh" -DOUTFILE="$setup_file" "${sign[@]}" "$here/installer.nsi"

stat -c '%n %s bytes' "$zip_file" "$setup_file"
