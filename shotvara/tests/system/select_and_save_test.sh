#!/usr/bin/env bash
# Drag a rectangle over a known screen and save it as PNG: the file holds exactly the screen's pixels of
# that rectangle, whichever way it was dragged; the result window follows the selection; 退出 ends with 0.
set -euo pipefail
. "$(dirname "$0")/shot_lib.sh"

show_pattern 1
screen=$work/screen-1.png
start_shotvara

drag 100 50 400 250 shotvara_capture_dragging
id=$(result_window)
poll 30 capture_hidden || fail "capture window still shown after the release"
eval "$(xdotool getwindowgeometry --shell "$id")"
[[ ${WIDTH}x$HEIGHT == 324x305 ]] || fail "result window is ${WIDTH}x$HEIGHT, not 324x305"
pass "result window is the selection plus 24 x 105"

# Typed without an extension, PNG row: the row's extension is added.
save_as "$work/down" 0 shotvara_save_dialog
file_written "$work/down.png"
[[ $(magic "$work/down.png") == 89504e470d0a1a0a ]] || fail "down.png is not a PNG"
"$kit" compare "$work/down.png" "$screen" 100 50 300 200 0 || fail "down.png differs from the screen"
pass "PNG holds the screen's pixels exactly"
screenshot shotvara_result_window

# The canvas shows the selection at its place, and keeps its size when the window grows.
grab "$work/result.png"
read -r cx cy < <("$kit" locate "$work/result.png" "$work/down.png") || fail "selection not shown in the window"
(( cx == 50 + 4 )) || fail "canvas at x $cx, not 54"
xdotool windowsize "$id" 700 600
sleep 0.5
canvas_kept() { grab "$work/resized.png" && [[ $("$kit" locate "$work/resized.png" "$work/down.png") == "$cx $cy" ]]; }
poll 20 canvas_kept || fail "the canvas moved when the window was resized"
# Beside and below the canvas is the window's own background, not a stretched picture.
"$kit" shows-pattern "$work/resized.png" 1 $((cx + 300 + 2)) "$cy" 10 10 && fail "canvas grew with the window"
pass "canvas keeps the selection's place and size when the window is resized"
screenshot shotvara_result_resized

# 新建截图, dragged from bottom-right to top-left: the same picture.
in_result ctrl+n
poll 30 capture_shown || fail "新建截图 did not show the capture window"
drag 400 250 100 50
result_window >/dev/null
save_as "$work/up.png" 0
file_written "$work/up.png"
cmp -s "$work/down.png" "$work/up.png" || fail "dragging the other way gave another picture"
pass "a drag up and to the left selects the same rectangle"

# 退出(&X) through the menu's access keys ends the process with 0.
in_result alt+f
sleep 0.5
screenshot shotvara_file_menu
xdotool key x
exited_with 0
pass "退出 ends the program with exit code 0"
echo "shotvara select and save: $passed passed, 0 failed"
