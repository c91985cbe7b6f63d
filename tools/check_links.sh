#!/usr/bin/env bash
# Checks the relative links of the project's Markdown (README.md, CONTRIBUTING.md, docs/*.md):
# each must name a file or folder that exists and, with a #anchor, a heading of the Markdown file
# it points into, under GitHub's rule for heading anchors. Links to other sites are not followed.
# Prints every broken link as FILE:LINE and fails when there is one.
#   check_links.sh [ROOT]    ROOT: the project folder (default: the one this script is in)
set -euo pipefail

root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

# The lines outside fenced code blocks, as "LINE<tab>TEXT".
outside_code() {
    awk '/^[[:space:]]*(```|~~~)/ { fence = !fence; next } !fence { print NR "\t" $0 }' "$1"
}

# GitHub's anchor of each heading of a Markdown file, one a line: lower case, punctuation other
# than hyphens and underscores dropped, spaces made hyphens; a repeated one gets -1, -2, ...
anchors_of() {
    local number text slug
    declare -A seen=()
    while IFS=$'\t' read -r number text; do
        text=${text#"${text%%[!#]*}"}
        text=$(sed -e 's/^[[:space:]]*//' -e 's/[[:space:]#]*$//' <<<"$text")
        slug=$(tr '[:upper:]' '[:lower:]' <<<"$text" | tr -d '!"#$%&'"'"'()*+,./:;<=>?@[\\]^`{|}~' | tr ' ' '-')
        if [ -n "${seen[$slug]+set}" ]; then
            seen[$slug]=$((seen[$slug] + 1))
            echo "$slug-${seen[$slug]}"
        else
            seen[$slug]=0
            echo "$slug"
        fi
    done < <(outside_code "$1" | grep -E $'^[0-9]+\t#{1,6}([[:space:]]|$)' || true)
}

# "LINE<tab>TARGET" for each inline link and image, and each reference definition, outside code.
links_of() {
    # shellcheck disable=SC2016 # the backticks are Markdown's code spans
    outside_code "$1" | sed -e 's/`[^`]*`//g' | awk -F'\t' '{
        line = $2
        if (match(line, /^ *\[[^]]+\]:[[:space:]]*[^[:space:]]+/)) {
            target = substr(line, RSTART, RLENGTH)
            sub(/^[^]]*\]:[[:space:]]*/, "", target)
            print $1 "\t" target
        }
        while (match(line, /\]\([^)]*\)/)) {
            target = substr(line, RSTART + 2, RLENGTH - 3)
            sub(/[[:space:]].*/, "", target)
            sub(/^</, "", target); sub(/>$/, "", target)
            print $1 "\t" target
            line = substr(line, RSTART + RLENGTH)
        }
    }'
}

shopt -s nullglob
files=(README.md CONTRIBUTING.md docs/*.md)

# Each file's anchors, worked out once.
declare -A anchors=()
has_anchor() {
    [ -n "${anchors[$1]+set}" ] || anchors[$1]=$(anchors_of "$1")
    grep -qxF -- "$2" <<<"${anchors[$1]}"
}

broken=0
checked=0
for file in "${files[@]}"; do
    if [ ! -f "$file" ]; then
        echo "$file: missing"
        broken=$((broken + 1))
        continue
    fi
    folder=$(dirname "$file")
    while IFS=$'\t' read -r number target; do
        # A scheme (https:, mailto:) means another site; those are not checked here.
        if [[ $target =~ ^[A-Za-z][A-Za-z0-9+.-]*: ]]; then
            continue
        fi
        checked=$((checked + 1))
        path=${target%%#*}
        anchor=""
        [[ $target == *"#"* ]] && anchor=${target#*#}
        resolved=$folder/$path
        [ -n "$path" ] || resolved=$file # a link to a heading of this file
        if [ ! -e "$resolved" ]; then
            echo "$file:$number: $target: no file $resolved"
            broken=$((broken + 1))
        elif [ -n "$anchor" ] && [[ $resolved == *.md ]] &&
            ! has_anchor "$resolved" "$anchor"; then
            echo "$file:$number: $target: no heading #$anchor in $resolved"
            broken=$((broken + 1))
        fi
    done < <(links_of "$file")
done

echo "check_links: ${#files[@]} files, $checked relative links, $broken broken"
[ "$broken" -eq 0 ]
