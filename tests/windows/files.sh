#!/usr/bin/env bash
# What the Windows clock does its own way, from its zip under wine (the scenarios of tests/e2e/
# run on it too): a stored config.cwk with LF or CR LF line ends is read, and C saves it back
# with CR LF; a folder named config.cwk is neither read nor replaced by a save; the output goes
# to stdout.txt beside the clock, and an empty stderr.txt is removed at exit; in folders whose
# names the ANSI code page cannot spell (wine's follows the locale: C.UTF-8 gives code page 1252)
# stdout.txt is still written there with CR LF lines, and fonts, pictures and config.cwk with its
# temporary file are found; chronwick.exe carries a manifest: the releases it supports,
# asInvoker, and its DPI element.
export LC_ALL=C.UTF-8
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../e2e/lib.sh"
start_xvfb

for ends in $'\n' $'\r\n'; do
    new_folder "stored-${#ends}"
    printf '30%s2%s901%s333%s' "$ends" "$ends" "$ends" "$ends" >"$run_dir/config.cwk"
    start_clock
    expect_size_kept 901x333 "the stored size, not fitted at start-up"
    press c 54
    expect_settings 30 2 901 333
    quit_clock
done

new_folder settings-folder
mkdir "$run_dir/config.cwk"
echo mine >"$run_dir/config.cwk/notes"
start_clock
press c 54
quit_clock
expect_output "fopen failed on config" "Key pressed 54 " "fopen failed on config" "Key pressed 9 "
[[ $(ls -A "$run_dir/config.cwk") == notes && $(cat "$run_dir/config.cwk/notes") == mine ]] ||
    fail "the folder config.cwk changed: $(ls -A "$run_dir/config.cwk")"
[[ -z $(find "$run_dir" -maxdepth 1 -name 'config.cwk?*') ]] || fail "a new file was left beside it"
[[ -f $run_dir/stdout.txt && ! -e $run_dir/stderr.txt ]] ||
    fail "expected stdout.txt kept and the empty stderr.txt removed: $(ls "$run_dir")"

size=$(fit_size 18 1 0)
for name in Łukasz '日本 の 時計'; do
    new_folder "$name"
    start_clock
    press f 41
    expect_size "$size" "KLB_____.ttf at 18 pt, in $name"
    press c 54
    expect_settings 18 1 "${size%x*}" "${size#*x}"
    quit_clock
    cmp -s "$run_dir/stdout.txt" <(printf '%s\r\n' "fopen failed on config" "Key pressed 33 " \
        "Key pressed 46 " "Key pressed 1 ") || fail "stdout.txt in $name: $(od -c "$run_dir/stdout.txt")"
    [[ -z $(find "$run_dir" -maxdepth 1 -name 'config.cwk?*') ]] || fail "a temporary file was left in $name"
done

require_tools wrestool xmllint
manifest=$work/manifest.xml
{ wrestool -x --raw -t 24 -n 1 "$runtime_dir/chronwick.exe" >"$manifest" && xmllint --noout "$manifest"; } ||
    fail "chronwick.exe has no manifest that parses"
xpath() {
    xmllint --xpath "$1" "$manifest" 2>/dev/null | tr -d '\n' || true
}
supported=$(xpath '//*[local-name()="supportedOS"]/@Id' | grep -o '{[^}]*}' | sort | tr '\n' ' ' || true)
[[ $supported == '{1f676c76-80e1-4239-95bb-83d0f6d0da78} {35138b9a-5d96-4fbd-8e2d-a2440225f93a} {4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38} {8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a} ' ]] ||
    fail "the manifest supports: $supported"
[[ $(xpath 'string(//*[local-name()="requestedExecutionLevel"]/@level)') == asInvoker &&
    $(xpath 'string(//*[local-name()="dpiAware"])') == false &&
    $(xpath 'string(//*[local-name()="dpiAwareness"])') == unaware ]] ||
    fail "the manifest asks for more than asInvoker or is DPI-aware: $(cat "$manifest")"
