#!/bin/sh
# Finds the font files the clock opens by their face, as the font manifest names them, through
# fontconfig on the system it runs on: Debian releases keep the same faces in different files
# and folders, so no path is fixed anywhere.
#
# usage: find_fonts.sh list MANIFEST          the entries, one "file|family|style|package|licence"
#                                             a line, for scripts that read the manifest
#        find_fonts.sh copy MANIFEST FOLDER   copies each face's file to FOLDER/<file> (the build)
#        find_fonts.sh link MANIFEST FOLDER   links FOLDER/<file> to each face's file, and leaves
#                                             a real file of that name alone (the launcher)
#
# The style field may list several styles of the family, best first: the first one installed is
# taken. A face none of whose styles is installed, or for which fontconfig only offers a
# substitute, gets one line naming the Debian package to install; copy and link then go on with
# the others and exit 1.
# POSIX sh (the launcher runs it); no pipelines whose failure would go unseen.
set -eu

usage() {
    echo "usage: find_fonts.sh list MANIFEST | copy MANIFEST FOLDER | link MANIFEST FOLDER" >&2
    exit 2
}

# The manifest's entries without comments and blank lines, with the fields' spaces trimmed.
list_entries() {
    sed -E '/^[[:space:]]*(#|$)/d; s/[[:space:]]*\|[[:space:]]*/|/g; s/^[[:space:]]+|[[:space:]]+$//g' "$1"
}

# first_face FAMILY STYLES: prints the file of the first of the comma-separated STYLES that this
# system has of the family (font packages drop and rename weights between releases), or fails
# printing what fontconfig offers for the first of them. fontconfig always answers with some font;
# only the same family (any of its names) with the same style as its own first style name is that
# face.
first_face() {
    # fontconfig's pattern syntax gives these characters a meaning of their own.
    pattern=$(printf '%s' "$1" | sed 's/[\\:,-]/\\&/g')
    styles=$2,
    offered=""
    while [ -n "$styles" ]; do
        style=${styles%%,*}
        styles=${styles#*,}
        style=${style# }
        answer=$(fc-match -f '%{family}|%{style[0]}|%{file}' "$pattern:style=$style") || continue
        families=${answer%%|*}
        answer=${answer#*|}
        case ",$families,|${answer%%|*}" in
        *",$1,"*"|$style")
            if [ -f "${answer#*|}" ]; then
                printf '%s\n' "${answer#*|}"
                return 0
            fi
            ;;
        esac
        [ -n "$offered" ] || offered="${families%%,*} ${answer%%|*}"
    done
    printf '%s\n' "$offered"
    return 1
}

[ $# -ge 2 ] || usage
mode=$1
manifest=$2
[ -r "$manifest" ] || {
    echo "find_fonts.sh: cannot read the font manifest $manifest" >&2
    exit 2
}
case $mode in
list)
    [ $# -eq 2 ] || usage
    list_entries "$manifest"
    exit 0
    ;;
copy | link)
    [ $# -eq 3 ] || usage
    folder=$3
    ;;
*) usage ;;
esac

command -v fc-match >/dev/null || {
    echo "fc-match is missing: install the Debian package fontconfig"
    exit 1
}
mkdir -p -- "$folder"
entries=$(list_entries "$manifest")
status=0
while IFS='|' read -r name family style package _licence; do
    target="$folder/$name"
    if ! found=$(first_face "$family" "$style"); then
        style=$(printf '%s' "$style" | sed 's/, */ or /g')
        if [ -n "$found" ]; then
            echo "Font $name: $family $style is not installed (fontconfig offers $found instead): install the Debian package $package"
        else
            echo "Font $name: fontconfig cannot look up $family $style: install the Debian package $package"
        fi
        # A link to a file that is gone would only fail later, and less clearly.
        [ "$mode" = copy ] || [ ! -L "$target" ] || rm -f -- "$target"
        status=1
        continue
    fi
    if [ "$mode" = copy ]; then
        cmp -s -- "$found" "$target" || cp -- "$found" "$target"
    elif [ -L "$target" ] || [ ! -e "$target" ]; then
        [ "$(readlink -- "$target" 2>/dev/null)" = "$found" ] || ln -s -f -- "$found" "$target"
    fi
done <<EOF
$entries
EOF
exit "$status"
