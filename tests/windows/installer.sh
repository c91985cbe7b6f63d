#!/bin/bash
# The installer as a user meets it, under wine on a private Xvfb:
#   installer.sh [--no-clock] SETUP_EXE
# SETUP_EXE is package.sh's chronwick-VERSION-win64-setup.exe, with its .zip beside it, whose
# files must be exactly the ones installed. A silent install puts them in the user's
# AppData\Local\Programs\Chronwick with a Start-menu shortcut and an Uninstall key; the clock
# started there saves config.cwk on C and exits 0 on Esc; an upgrade keeps config.cwk byte for
# byte; a silent uninstall removes every installed file, the shortcut and the key, and keeps
# config.cwk. --no-clock leaves out running the clock (for a stand-in exe) and plants a
# config.cwk instead.
set -euo pipefail
# shellcheck source=tools/x_session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/x_session.sh"
# shellcheck source=tests/windows/wine_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine_lib.sh"
# The wineserver first, so that the programs it runs end cleanly, then what x_session started.
trap 'wine_stop; stop_started' EXIT

run_clock=1
if [ "${1:-}" = --no-clock ]; then
    run_clock=0
    shift
fi
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

install_silently() {
    local status=0
    wine_run "$setup" /S || status=$?
    wineserver -w
    [ "$status" -eq 0 ] || fail "the installer exited with $status"
}

install_silently
install_dir=$(wine_folder LOCALAPPDATA)/Programs/Chronwick
shortcut="$(wine_folder APPDATA)/Microsoft/Windows/Start Menu/Programs/Chronwick.lnk"
[ -d "$install_dir" ] || fail "nothing was installed in $install_dir"
diff <(printf '%s\n' "${expected_files[@]}") <(installed_list "$install_dir") ||
    fail "the installed files are not those of the zip plus uninstall.exe"
diff -r -x uninstall.exe "$expected" "$install_dir" >/dev/null ||
    fail "an installed file differs from the zip's"
pass "installed the zip's $((${#expected_files[@]} - 1)) files and the uninstaller in $install_dir"
# A signed installer (signed.sh) must have written a signed uninstaller.
if [ -n "${CHRONWICK_VERIFY_CA:-}" ]; then
    osslsigncode verify -CAfile "$CHRONWICK_VERIFY_CA" -in "$install_dir/uninstall.exe" >/dev/null ||
        fail "the installed uninstall.exe has no valid signature"
    pass "the installed uninstall.exe is signed"
fi
[ -f "$shortcut" ] || fail "no Start-menu shortcut $shortcut"
wine_key_exists "$uninstall_key" || fail "no key $uninstall_key"
quiet=$(wine_quiet wine reg query "$uninstall_key" /v QuietUninstallString | tr -d '\r' |
    sed -n 's/.*REG_SZ *//p')
[ "$quiet" = "\"$(wine_quiet winepath -w "$install_dir" | tr -d '\r')\\uninstall.exe\" /S" ] ||
    fail "QuietUninstallString is '$quiet'"
pass "Start-menu shortcut and Uninstall key"

config=$install_dir/config.cwk
if [ "$run_clock" -eq 1 ]; then
    wine_start "$install_dir" "$install_dir/chronwick.exe"
    wait_for_window 60 || fail "the installed clock opened no window"
    press_keys c Escape
    status=0
    wait_for_exit 20 || status=$?
    [ "$status" -eq 0 ] || fail "the clock exited with $status"
    [ -f "$config" ] || fail "C saved no config.cwk in $install_dir"
    [[ $(wc -l <"$config") -eq 4 && $(grep -c $'\r$' "$config") -eq 4 ]] ||
        fail "config.cwk is not 4 CR LF lines: $(od -c "$config" | head -n 3)"
    pass "the clock saved config.cwk and exited 0"
else
    printf '12\r\n1\r\n680\r\n100\r\n' >"$config"
fi
cp "$config" "$wine_scratch/config.saved"

install_silently
cmp "$config" "$wine_scratch/config.saved" || fail "the upgrade changed config.cwk"
diff <(printf '%s\n' "${expected_files[@]}" config.cwk | LC_ALL=C sort) \
    <(installed_list "$install_dir" | grep -v -x -e stdout.txt -e stderr.txt) ||
    fail "after the upgrade the installed files are not the expected ones"
pass "the upgrade kept config.cwk"

# What the clock writes as it runs goes too.
touch "$install_dir/stdout.txt" "$install_dir/stderr.txt"
wine_run "$install_dir/uninstall.exe" /S || fail "the uninstaller exited with $?"
# The uninstaller runs from a copy of itself that is still at work when the first one ends.
wineserver -w
[ "$(installed_list "$install_dir")" = config.cwk ] ||
    fail "after uninstalling the folder holds: $(installed_list "$install_dir" | head -n 5 | tr "\n" " ")"
[ -z "$(find "$install_dir" -mindepth 1 -type d)" ] || fail "folders were left behind"
cmp "$config" "$wine_scratch/config.saved" || fail "uninstalling changed config.cwk"
[ ! -e "$shortcut" ] || fail "the Start-menu shortcut is still there"
! wine_key_exists "$uninstall_key" || fail "the Uninstall key is still there"
pass "uninstalled everything but config.cwk"
