#!/bin/sh
# Tells which SDL 1.2 runtime a program loads, with the library search path in force:
#   classic       classic SDL 1.2, which draws through X11 (or a console driver) only
#   compat N      sdl12-compat at patch level N (50 and up), SDL 1.2 over SDL 2 or SDL 3,
#                 which also draws on Wayland
# and exits 1 when the program loads no SDL 1.2 library at all.
# usage: sdl_runtime.sh PROGRAM
#        sdl_runtime.sh --compat-folder   the private folder of the compat runtime where it is
#                                         installed beside classic SDL 1.2 (Debian 12's
#                                         libsdl1.2-compat); exits 1 where there is none
# POSIX sh (the launcher runs it). sdl12-compat names its library libSDL-1.2.so.1.2.N, classic
# SDL 1.2 libSDL-1.2.so.0.11.x.
set -eu
[ $# -eq 1 ] || {
    echo "usage: sdl_runtime.sh PROGRAM | --compat-folder" >&2
    exit 2
}
if [ "$1" = --compat-folder ]; then
    for folder in /usr/lib/*/sdl12-compat; do
        if [ -e "$folder/libSDL-1.2.so.0" ]; then
            echo "$folder"
            exit 0
        fi
    done
    exit 1
fi
library=$(ldd -- "$1" 2>/dev/null | awk '$1 == "libSDL-1.2.so.0" && $3 ~ /^\// {print $3; exit}') ||
    library=""
[ -n "$library" ] || exit 1
file=$(readlink -f -- "$library")
patch=${file##*/libSDL-1.2.so.1.2.}
case $patch in '' | *[!0-9]*) patch=0 ;; esac
if [ "$patch" -ge 50 ]; then
    echo "compat $patch"
else
    echo classic
fi
