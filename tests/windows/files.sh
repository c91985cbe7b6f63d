#!/usr/bin/env bash
# What the Windows clock does its own way, from its zip under wine (the scenarios of tests/e2e/
# run on it too): a stored config.cwk with LF or CR LF line ends is read, and C saves it back
# with CR LF; a folder named config.cwk is neither read nor replaced by a save; the output goes
# to stdout.txt beside the clock, and an empty stderr.txt is removed at exit.
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
