#!/usr/bin/env bash
# 新建截图 selects again from the picture taken at start-up, even after the screen changed; Escape goes
# back to the result, and without a result it ends the program.
set -euo pipefail
. "$(dirname "$0")/shot_lib.sh"

show_pattern 1
start_shotvara
drag 600 300 900 500
result_window >/dev/null

# The screen changes under the program: picture 2 (picture 1 inverted) on top.
show_pattern 2 0 0 40 40
in_result ctrl+n
poll 30 capture_shown || fail "新建截图 did not show the capture window"
grab "$work/frozen.png"
"$kit" shows-pattern "$work/frozen.png" 1 || fail "the capture window does not show the start-up picture"
pass "the capture window shows the start-up picture again"

# Escape: back to the earlier result.
in_capture Escape
poll 30 capture_hidden || fail "Escape did not leave the capture window"
result_window >/dev/null
pass "Escape goes back to the result window"

in_result ctrl+n
drag 40 60 340 260
result_window >/dev/null
save_as "$work/second" 0
file_written "$work/second.png"
"$kit" compare "$work/second.png" "$work/screen-1.png" 40 60 300 200 0 || fail "second shot is not from the start-up picture"
pass "a second drag selects from the start-up picture"
"$kit" close-window "$(result_window)"
exited_with 0

# A fresh start with nothing selected: Escape ends the program with 0.
start_shotvara
in_capture Escape
exited_with 0
pass "Escape without a result ends the program with exit code 0"
echo "shotvara new shot: $passed passed, 0 failed"
