#!/usr/bin/env bash
# The Windows clock from its zip in folders whose names the ANSI code page cannot spell (wine's
# follows the locale: C.UTF-8 gives code page 1252): stdout.txt beside chronwick.exe with CR LF
# lines, the fonts and pictures found, F and C saving config.cwk through its temporary file; and
# the manifest in chronwick.exe: the releases it supports, asInvoker, and its DPI element.
export LC_ALL=C.UTF-8
# shellcheck source=tests/windows/clock_lib.sh
source "$(dirname "$0")/clock_lib.sh"
require_tools wrestool xmllint

size=$(fit_size 18 1 0)
for name in Łukasz '日本 の 時計'; do
    new_folder "$name"
    start_clock
    press f 33
    expect_size "$size" "KLB_____.ttf at 18 pt, in $name"
    press c 46
    expect_settings 18 1 "${size%x*}" "${size#*x}"
    quit_clock
    cmp "$run_dir/stdout.txt" <(printf '%s\r\n' "fopen failed on config" "Key pressed 33 " \
        "Key pressed 46 " "Key pressed 1 ") || fail "stdout.txt in $name: $(od -c "$run_dir/stdout.txt")"
    [[ -z $(find "$run_dir" -maxdepth 1 -name 'config.cwk?*') ]] || fail "a temporary file was left in $name"
done

manifest=$work/manifest.xml
{ wrestool -x --raw -t 24 -n 1 "$unpacked/chronwick.exe" >"$manifest" && xmllint --noout "$manifest"; } ||
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
