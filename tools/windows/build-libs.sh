#!/usr/bin/env bash
# Cross-builds the Windows libraries of the clock once and prints their prefix on its last line:
#   build-libs.sh [SOURCES_DIR]
# SDL 1.2 as SDL.dll (LGPL-2.1: it ships beside the executable, with its source) plus the static
# SDLmain; FreeType, SDL_image (GIF, and BMP for the tests' pictures) and SDL_ttf as static libraries.
# The sources are the tarballs pinned in sources.txt, taken from SOURCES_DIR, else
# $CHRONWICK_WINDOWS_SOURCES, else ../shared/windows-sources beside the clone, else downloaded.
# The prefix is kept under ${CHRONWICK_CACHE:-~/.cache/chronwick}/windows-libs/KEY, KEY naming
# the pins, this script, the toolchain file and the compiler, so a warm run builds nothing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
host=x86_64-w64-mingw32
toolchain=$here/mingw-w64-x86_64.cmake
# SDL's entry code opening stdout.txt by a wide path; shipped in source/ beside SDL's tarball.
sdl_patch=$here/sdl-wide-paths.patch

die() { echo "build-libs.sh: $*" >&2; exit 1; }
command -v $host-gcc >/dev/null || die "$host-gcc not found (Debian: g++-mingw-w64-x86-64)"

cache=${CHRONWICK_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/chronwick}
key=$({ cat "$here/sources.txt" "$0" "$toolchain" "$sdl_patch"; $host-gcc --version; } | sha256sum | cut -c1-16)
prefix=$cache/windows-libs/$key
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

# Where the tarballs come from: a folder of them, or GitHub's archives of the pinned commits.
sources=${1:-${CHRONWICK_WINDOWS_SOURCES:-}}
if [ -z "$sources" ] && [ -d "$repo/../shared/windows-sources" ]; then
    sources=$(cd "$repo/../shared/windows-sources" && pwd)
fi
[ -z "$sources" ] || [ -d "$sources" ] || die "no such sources folder: $sources"

mkdir -p "$cache/windows-libs"
work=$(mktemp -d "$cache/windows-libs/.build-$key.XXXXXX")
log=$work/build.log
stage=$work/prefix
trap 'rm -rf "$work"' EXIT

# Puts NAME's verified tarball at $work/NAME.tar.gz.
fetch() {
    local name=$1 repo_path=$2 commit=$3 gz_sum=$4 tar_sum=$5 file got
    file=${repo_path#*/}-$commit.tar.gz
    if [ -n "$sources" ]; then
        [ -f "$sources/$file" ] || die "$file is missing from $sources"
        got=$(sha256sum <"$sources/$file" | cut -c1-64)
        [ "$got" = "$gz_sum" ] || die "$sources/$file: sha256 $got, expected $gz_sum"
        cp "$sources/$file" "$work/$name.tar.gz"
        return
    fi
    local downloads=$cache/downloads url=https://github.com/$repo_path/archive/$commit.tar.gz
    mkdir -p "$downloads"
    if [ ! -f "$downloads/$file" ]; then
        if command -v curl >/dev/null; then
            curl -fsSL -o "$downloads/$file.part" "$url"
        elif command -v wget >/dev/null; then
            wget -q -O "$downloads/$file.part" "$url"
        else
            false
        fi || die "cannot download $url; give a folder of the tarballs or set CHRONWICK_WINDOWS_SOURCES"
        mv "$downloads/$file.part" "$downloads/$file"
    fi
    got=$(gzip -dc "$downloads/$file" | sha256sum | cut -c1-64)
    if [ "$got" != "$tar_sum" ]; then
        rm -f "$downloads/$file"
        die "$url: tar sha256 $got, expected $tar_sum"
    fi
    cp "$downloads/$file" "$work/$name.tar.gz"
}

# Runs one build step in a folder, its output in the log; a failure shows where and why.
step() {
    local what=$1 dir=$2
    shift 2
    echo "=== $what" >>"$log"
    if ! (cd "$dir" && "$@") >>"$log" 2>&1; then
        tail -n 40 "$log" >&2
        trap - EXIT
        die "step '$what' failed; the full log is $log (the folder is kept)"
    fi
}

declare -A original
while read -r name repo_path commit gz_sum tar_sum; do
    case $name in '#'* | '') continue ;; esac
    fetch "$name" "$repo_path" "$commit" "$gz_sum" "$tar_sum"
    original[$name]=${repo_path#*/}-$commit.tar.gz
    mkdir "$work/$name"
    tar -xzf "$work/$name.tar.gz" -C "$work/$name" --strip-components=1
done <"$here/sources.txt"
step "SDL patch" "$work/SDL" patch -p1 -i "$sdl_patch"

echo "Building the Windows libraries into $prefix (a few minutes)" >&2
jobs=$(nproc)
# No debug info (it would carry this folder's paths); no build time in the DLL's PE header.
export CFLAGS="-O2" LDFLAGS="-Wl,--no-insert-timestamp"
# The configure scripts must see only the cross libraries, never the build machine's SDL.
export PKG_CONFIG_LIBDIR=$stage/lib/pkgconfig PKG_CONFIG_PATH="" SDL_CONFIG=$stage/bin/sdl-config
PKG_CONFIG=$(command -v $host-pkg-config || command -v pkg-config) || die "pkg-config not found"
export PKG_CONFIG
autoconf=(--host="$host" --prefix="$stage")

step "SDL configure" "$work/SDL" ./configure "${autoconf[@]}" --enable-shared --disable-static \
    --disable-nasm
step "SDL build" "$work/SDL" make -j"$jobs"
step "SDL install" "$work/SDL" make install

step "FreeType configure" "$work/freetype" cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCHRONWICK_WINDOWS_PREFIX="$stage" -DCMAKE_INSTALL_PREFIX="$stage" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=OFF -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_BZIP2=ON \
    -DFT_DISABLE_BROTLI=ON -DFT_DISABLE_ZLIB=ON
step "FreeType build" "$work/freetype" cmake --build build -j"$jobs"
step "FreeType install" "$work/freetype" cmake --install build

step "SDL_image configure" "$work/SDL_image" ./configure "${autoconf[@]}" --disable-shared \
    --enable-static --enable-gif --enable-bmp --disable-imageio --disable-jpg --disable-lbm \
    --disable-pcx --disable-png --disable-pnm --disable-tga --disable-tif --disable-xcf \
    --disable-xpm --disable-xv --disable-webp
step "SDL_image build" "$work/SDL_image" make -j"$jobs"
step "SDL_image install" "$work/SDL_image" make install

step "SDL_ttf configure" "$work/SDL_ttf" ./configure "${autoconf[@]}" --disable-shared \
    --enable-static --without-x
step "SDL_ttf build" "$work/SDL_ttf" make -j"$jobs"
step "SDL_ttf install" "$work/SDL_ttf" make install

# What the zip ships: the stripped DLL, the licences, and SDL's source beside its DLL.
# strip stamps the time into the PE header again unless SOURCE_DATE_EPOCH names one.
step "strip SDL.dll" "$stage" env SOURCE_DATE_EPOCH=0 $host-strip --strip-unneeded bin/SDL.dll
mkdir -p "$stage/licenses" "$stage/source"
cp "$work/SDL/COPYING" "$stage/licenses/SDL-LGPL-2.1.txt"
cp "$work/SDL_image/COPYING" "$stage/licenses/SDL_image-zlib.txt"
cp "$work/SDL_ttf/COPYING" "$stage/licenses/SDL_ttf-zlib.txt"
cp "$work/freetype/docs/FTL.TXT" "$stage/licenses/FreeType-FTL.txt"
# gzip -n of the verified tar: the same bytes whether the tarball came from a folder or GitHub.
gzip -dc "$work/SDL.tar.gz" | gzip -n -9 >"$stage/source/${original[SDL]}"
cp "$sdl_patch" "$stage/source/"

# libtool archives and man pages are of no use to a cross build; the .pc files and sdl-config
# name the staging folder until they are pointed at where the prefix will be.
rm -rf "$stage"/lib/*.la "$stage/share/man"
sed -i "s|$stage|$prefix|g" "$stage"/lib/pkgconfig/*.pc "$stage/bin/sdl-config"
# SDL_ttf exists here only as a static library, so FreeType is always needed to link it, not only
# with --static (CMake's pkg_check_modules asks without it).
sed -i -e '/^Requires.private:/d' -e 's/^Requires:/Requires: freetype2/' "$stage/lib/pkgconfig/SDL_ttf.pc"
touch "$stage/.complete"

# Renamed into place last, so a prefix that exists is whole; a run that lost a race keeps the
# winner's.
[ -f "$prefix/.complete" ] || { rm -rf "$prefix"; mv -T "$stage" "$prefix"; }
echo "$prefix"
