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
    awk -F '|' '
        /^[ \t]*(#|$)/ { next }
        {
            line = ""
            for (i = 1; i <= 5; i++) {
                field = $i
                gsub(/^[ \t]+|[ \t]+$/, "", field)
                line = line (i > 1 ? "|" : "") field
            }
            print line
        }' "$1"
}

# face_file FAMILY STYLE: prints the file of that face, or fails with what fontconfig offers
# instead. fontconfig always answers with some font; only the same family (any of its names)
# with the same style as its own first style name is that face.
face_file() {
    # fontconfig's pattern syntax gives these characters a meaning of their own.
    case $1 in
    *[\\:,-]*) pattern=$(printf '%s' "$1" | sed 's/[\\:,-]/\\&/g') ;;
    *) pattern=$1 ;;
    esac
    answer=$(fc-match -f '%{family}|%{style[0]}|%{file}' "$pattern:style=$2") || return 1
    families=${answer%%|*}
    answer=${answer#*|}
    found_style=${answer%%|*}
    found_file=${answer#*|}
    case ",$families," in
    *",$1,"*)
        if [ "$found_style" = "$2" ] && [ -f "$found_file" ]; then
            printf '%s\n' "$found_file"
            return 0
        fi
        ;;
    esac
    printf '%s\n' "${families%%,*} $found_style"
    return 1
}

# first_face FAMILY STYLES: the file of the first of the comma-separated STYLES that this system
# has (font packages drop and rename weights between releases), else what fontconfig offers for
# the first of them.
first_face() {
    styles=$2,
    offered=""
    while [ -n "$styles" ]; do
        style=${styles%%,*}
        styles=${styles#*,}
        style=${style# }
        if found=$(face_file "$1" "$style"); then
            printf '%s\n' "$found"
            return 0
        fi
        [ -n "$offered" ] || offered=$found
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
