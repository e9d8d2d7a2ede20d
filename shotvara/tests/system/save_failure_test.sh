#!/usr/bin/env bash
# A save that cannot be written is reported and the tool goes on: into a folder on a read-only disk (a
# read-only mount of our own where the system lets us make one) and into a folder that does not exist.
# The boxes are kept as screenshots; their wording is checked by the windows' own tests.
set -euo pipefail
. "$(dirname "$0")/shot_lib.sh"

# The program runs with $ro read-only (see readonly_folder.sh).
export SHOTVARA_READONLY_DIR=$work/readonly
ro=$SHOTVARA_READONLY_DIR
readonly_folder=$(dirname "$0")/../readonly_folder.sh
mkdir -p "$ro"
"$readonly_folder" true || { echo "skipped: no read-only folder can be made here"; exit 77; }

# failure_box ARTEFACT: waits for the error box, keeps a screenshot of it, closes it with Enter.
failure_box() {
    local box
    box=$(wait_window "错误" 30) || fail "no error box for $1"
    screenshot "$1"
    xdotool windowfocus --sync "$box"
    xdotool key Return
    poll 10 eval '! xdotool search --onlyvisible --name "^错误\$" >/dev/null 2>&1' || fail "the error box stays"
}

show_pattern 1
start_shotvara "$readonly_folder"
drag 100 50 300 150
save_as "$ro/shot" 0
failure_box shotvara_save_readonly
pass "a save to a read-only folder is reported"

save_as "$work/no/such/folder/shot" 0
failure_box shotvara_save_missing_folder
[[ ! -e $work/no ]] || fail "the failed save made folders"
pass "a save to a missing folder is reported"

# The window stays as it was, and a save that can be written still works.
save_as "$work/shot" 0
file_written "$work/shot.png"
pass "a later save to a good folder works"
in_result alt+f
sleep 0.3
xdotool key x
exited_with 0
echo "shotvara save failure: $passed passed, 0 failed"
