#!/bin/bash
# The installer as a user meets it, under wine on a private Xvfb:
#   installer.sh SETUP_EXE
# SETUP_EXE is package.sh's chronwick-VERSION-win64-setup.exe, with its .zip beside it, whose
# files must be exactly the ones installed. An older build of the same files and one more goes
# silently into a folder the ANSI code page cannot spell (/D=), with start at sign-in off; its
# clock runs there, writes stdout.txt and saves; while it runs the installer exits with 3 and
# changes nothing. The upgrade with /STARTUP=1 leaves exactly the zip's files, the uninstaller
# and config.cwk byte for byte, both shortcuts starting in that folder, and the Uninstall key.
# A silent uninstall removes all of that but config.cwk.
set -euo pipefail
# Wine's ANSI code page follows the locale; C.UTF-8 is in every Debian and gives 1252.
export LC_ALL=C.UTF-8
# shellcheck source=tools/x_session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/x_session.sh"
# shellcheck source=tests/windows/wine_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine_lib.sh"
# The wineserver first, so that the programs it runs end cleanly, then what x_session started.
trap 'wine_stop; stop_started' EXIT

[ $# -eq 1 ] || { sed -n '3p' "$0" >&2; exit 2; }
setup=$(realpath "$1")
zip=${setup%-setup.exe}.zip
readonly uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Chronwick'

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
pass() {
    echo "ok: $*"
}

[[ -f $setup && -f $zip ]] || fail "need $setup and $zip"
require_tools unzip xdotool
start_xvfb
wine_prefix

# What must be installed: the zip's files, and the uninstaller.
expected=$wine_scratch/expected
mkdir "$expected"
unzip -q "$zip" -d "$expected"
expected=$(echo "$expected"/*/)
installed_list() {
    (cd "$1" && find . -type f -printf '%P\n' | LC_ALL=C sort)
}
mapfile -t expected_files < <({ installed_list "$expected"; echo uninstall.exe; } | LC_ALL=C sort)

# An older build: the zip's files and graphics/retired.txt, made by package.sh from them.
old=$wine_scratch/old
mkdir -p "$old/prefix/bin" "$old/runtime" "$old/texts"
cp "$expected/SDL.dll" "$old/prefix/bin/"
cp -R "$expected/licenses" "$expected/source" "$old/prefix/"
cp -R "$expected/Fonts" "$expected/graphics" "$old/runtime/"
cp "$expected/README.txt" "$old/texts/"
echo retired >"$old/runtime/graphics/retired.txt"
bash "$root/packaging/windows/package.sh" "$expected/chronwick.exe" "$old/prefix" "$old/runtime" \
    "$old/texts" 0.9 0 "2026 The Chronwick developers" "$old" >/dev/null

install_silently() {
    local status=0
    wine_run "$@" || status=$?
    wineserver -w
    [ "$status" -eq 0 ] || fail "$* exited with $status"
}

# /D= takes no quotes, and wine quotes an argument with spaces: a name without any.
install_dir=$wine_scratch/Łukasz/Chronwick
windows_dir=$(wine_quiet winepath -w "$install_dir" | tr -d '\r')
install_silently "$old/chronwick-0.9-win64-setup.exe" /S "/D=$windows_dir"
menu="$(wine_folder APPDATA)/Microsoft/Windows/Start Menu/Programs"
startup=$(echo "$menu"/[Ss]tart[Uu]p) # wine names it StartUp
[ -f "$install_dir/graphics/retired.txt" ] || fail "the older build is not in $install_dir"
[ ! -e "$startup/Chronwick.lnk" ] || fail "start at sign-in is on by default"
pass "the older build installed in $windows_dir, start at sign-in off"

# Wine's shell cannot start a shortcut to a path outside the ANSI code page ("Path not found"),
# so the clock starts as its shortcuts start it: in its own folder.
wine_start "$install_dir" "$install_dir/chronwick.exe"
wait_for_window 60 || fail "the installed clock opened no window"
# A key typed before wine has shown the window whole can reach the clock with code 0: wait for
# the window to be viewable and a moment more.
xdotool search --sync --onlyvisible --name Quillmark >/dev/null
sleep 1
press_keys f c
snapshot() {
    (cd "$install_dir" && find . -type f -print0 | LC_ALL=C sort -z | xargs -0 sha256sum)
}
before=$(snapshot)
status=0
wine_run "$setup" /S || status=$?
[ "$status" -eq 3 ] || fail "with the clock running the installer exited with $status, not 3"
[ "$(snapshot)" = "$before" ] || fail "with the clock running the installer changed the folder"
pass "with the clock running the installer exited with 3 and changed nothing"
press_keys Escape
status=0
wait_for_exit 20 || status=$?
[ "$status" -eq 0 ] || fail "the clock exited with $status"
config=$install_dir/config.cwk
cmp "$install_dir/stdout.txt" <(printf '%s\r\n' "fopen failed on config" "Key pressed 33 " \
    "Key pressed 46 " "Key pressed 1 ") || fail "stdout.txt: $(od -c "$install_dir/stdout.txt")"
[[ $(head -n 1 "$config") == $'18\r' && $(wc -l <"$config") -eq 4 && $(grep -c $'\r$' "$config") -eq 4 ]] ||
    fail "config.cwk is not 4 CR LF lines of font 18: $(od -c "$config" | head -n 3)"
pass "the clock ran in its folder, wrote stdout.txt there, saved config.cwk and exited 0"
cp "$config" "$wine_scratch/config.saved"

install_silently "$setup" /S /STARTUP=1
diff <(printf '%s\n' "${expected_files[@]}" config.cwk | LC_ALL=C sort) <(installed_list "$install_dir") ||
    fail "after the upgrade the installed files are not the zip's, uninstall.exe and config.cwk"
diff -r -x uninstall.exe -x config.cwk "$expected" "$install_dir" >/dev/null ||
    fail "an installed file differs from the zip's"
cmp "$config" "$wine_scratch/config.saved" || fail "the upgrade changed config.cwk"
# Each shortcut starts the clock in its folder: "Start in" holds that folder's path as UTF-16,
# which the target's path continues with a backslash.
hex() { od -An -tx1 -v | tr -d ' \n'; }
start_in=$(printf '%s' "$windows_dir" | iconv -t UTF-16LE | hex)
for shortcut in "$menu/Chronwick.lnk" "$startup/Chronwick.lnk"; do
    hex <"$shortcut" | grep -o "$start_in...." | grep -q -v '5c00$' ||
        fail "$shortcut is missing or does not start in the clock's folder"
done
wine_key_exists "$uninstall_key" || fail "no key $uninstall_key"
# reg query prints in the console's code page, which has no Ł; an exported file is UTF-16.
wine_quiet wine reg export "$uninstall_key" "$(wine_quiet winepath -w "$wine_scratch/key.reg" | tr -d '\r')" /y >/dev/null
quiet=$(iconv -f UTF-16 -t UTF-8 "$wine_scratch/key.reg" | tr -d '\r' |
    sed -n 's/^"QuietUninstallString"="\(.*\)"$/\1/p')
[ "$quiet" = "\\\"${windows_dir//\\/\\\\}\\\\uninstall.exe\\\" /S" ] ||
    fail "QuietUninstallString is '$quiet'"
# A signed installer (signed.sh) must have written a signed uninstaller.
if [ -n "${CHRONWICK_VERIFY_CA:-}" ]; then
    osslsigncode verify -CAfile "$CHRONWICK_VERIFY_CA" -in "$install_dir/uninstall.exe" >/dev/null ||
        fail "the installed uninstall.exe has no valid signature"
    pass "the installed uninstall.exe is signed"
fi
pass "the upgrade left the zip's $((${#expected_files[@]} - 1)) files, the uninstaller and config.cwk, the shortcuts and the key"

# What the clock writes as it runs goes too.
touch "$install_dir/stdout.txt" "$install_dir/stderr.txt"
wine_run "$install_dir/uninstall.exe" /S || fail "the uninstaller exited with $?"
# The uninstaller runs from a copy of itself that is still at work when the first one ends.
wineserver -w
[ "$(installed_list "$install_dir")" = config.cwk ] ||
    fail "after uninstalling the folder holds: $(installed_list "$install_dir" | head -n 5 | tr "\n" " ")"
[ -z "$(find "$install_dir" -mindepth 1 -type d)" ] || fail "folders were left behind"
cmp "$config" "$wine_scratch/config.saved" || fail "uninstalling changed config.cwk"
[[ ! -e $menu/Chronwick.lnk && ! -e $startup/Chronwick.lnk ]] || fail "a shortcut is still there"
! wine_key_exists "$uninstall_key" || fail "the Uninstall key is still there"
pass "uninstalled everything but config.cwk"
