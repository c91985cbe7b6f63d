#!/usr/bin/env bash
# The Windows clock from its zip, under wine: it starts at the defaults with its caption and says
# once that it has no settings file, in stdout.txt; every key reports its PC set-1 code and acts,
# each fit follows the font and the legend is 500 x 110; C saves CR LF lines; a stored file with
# LF or CR LF line ends is read; a folder named config.cwk survives a save; Esc, Q and the
# window's close request end the clock with status 0.
# shellcheck source=tests/windows/clock_lib.sh
source "$(dirname "$0")/clock_lib.sh"

new_folder first-start
start_clock
expect_size 680x100 "the default size"
expect_caption "$normal_caption"
expect_output "fopen failed on config"
"$close_window_bin" "$win" || fail "could not send the close request"
wait_exit 5
[[ -f $run_dir/stdout.txt && ! -e $run_dir/stderr.txt ]] ||
    fail "expected stdout.txt kept and the empty stderr.txt removed: $(ls "$run_dir")"

new_folder keys
start_clock
# Keys with the set-1 codes they report; the keypad keys go by their X keycodes.
press_key_table 3<<'KEYS'
f 33 18 1 0 next family: KLB_____.ttf at 18 pt
s 31 18 1 1 seconds shown
g 34 18 2 1 layout 2
g 34 18 3 1 layout 3
k 37 legend - - the legend
k 37 18 3 1 the clock view again
g 34 18 1 1 layout 1 again after 3
minus 12 kept - - smaller at the smallest size of the family
equal 13 19 1 1 larger: KLB_____.ttf at 21 pt
82 74 18 1 1 keypad minus
86 78 19 1 1 keypad plus
KEYS
size=$(window_size)
press c 46
expect_settings 19 1 "${size%x*}" "${size#*x}"
press x 45 # no command
quit_clock
expect_output "fopen failed on config" "Key pressed 33 " "Key pressed 31 " "Key pressed 34 " \
    "Key pressed 34 " "Key pressed 37 " "Key pressed 37 " "Key pressed 34 " "Key pressed 12 " \
    "Key pressed 13 " "Key pressed 74 " "Key pressed 78 " "Key pressed 46 " "Key pressed 45 " \
    "Key pressed 1 "

new_folder quit-with-q
start_clock
press q 16
wait_exit 5

# Stored with LF line ends, then with CR LF: both are read, and C saves them back with CR LF.
for ends in $'\n' $'\r\n'; do
    new_folder "stored-${#ends}"
    printf '30%s2%s901%s333%s' "$ends" "$ends" "$ends" "$ends" >"$run_dir/config.cwk"
    start_clock
    expect_size_kept 901x333 "the stored size, not fitted at start-up"
    press c 46
    expect_settings 30 2 901 333
    quit_clock
done

# A folder named config.cwk is neither read nor replaced by a save.
new_folder settings-folder
mkdir "$run_dir/config.cwk"
echo mine >"$run_dir/config.cwk/notes"
start_clock
press c 46
quit_clock
expect_output "fopen failed on config" "Key pressed 46 " "fopen failed on config" "Key pressed 1 "
[[ $(ls -A "$run_dir/config.cwk") == notes && $(cat "$run_dir/config.cwk/notes") == mine ]] ||
    fail "the folder config.cwk changed: $(ls -A "$run_dir/config.cwk")"
[[ -z $(find "$run_dir" -maxdepth 1 -name 'config.cwk?*') ]] || fail "a new file was left beside it"
