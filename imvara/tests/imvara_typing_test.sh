#!/usr/bin/env bash
# The input method types into another program on a real X server, driven by keys as a person would.
set -euo pipefail
. "$(dirname "$0")/../../tests/system/lib.sh"
. "$(dirname "$0")/ime_lib.sh"
trap stop_all EXIT

start_target
start_imvara
screenshot_bar() { import -window root -crop 301x48+"$1"+"$2" "$AQUINE_ARTEFACTS/imvara_bar_composing.png"; }

xdotool key z h o n g 1
expect_typed "中"
xdotool key a space
expect_typed "中啊"

# The bar while composing, kept for a person to look at.
xdotool key n i
settle
mkdir -p "$AQUINE_ARTEFACTS"
eval "$(xdotool getwindowgeometry --shell "$bar")"
screenshot_bar "$X" "$Y"
screenshot imvara_desktop_composing

# Backspace: shortens the composition, then, with nothing composed, deletes in the target.
xdotool key BackSpace BackSpace
settle
xdotool key BackSpace
expect_typed "中"
# With zh, Backspace leaves z and the candidates of z: the first one is then typed by 1.
first_of_z=$("$AQUINE_BIN/imvara-lookup" pages z | sed -E 's/^ 1\.([^a-z ]+).*/\1/')
xdotool key z h BackSpace 1
expect_typed "中$first_of_z"

# 0, Enter and Escape reach the target; Escape leaves a pending composition alone.
xdotool key 0 Return
expect_typed "中$first_of_z"$'0\n'
xdotool key h a o Escape 1
expect_typed "中$first_of_z"$'0\n好'

# Shift+A reaches the target as a capital letter.
xdotool key shift+a
expect_typed "中$first_of_z"$'0\n好A'

# Shift alone hides the bar: keys go straight through; Shift again claims them back.
xdotool key shift
settle
xdotool key n i 2 space
expect_typed "中$first_of_z"$'0\n好Ani2 '
xdotool key shift
settle
xdotool key n i 1
expect_typed "中$first_of_z"$'0\n好Ani2 你'

# Shift held while clicking (to extend a selection) is no Shift alone: the bar stays shown and keeps
# its keys. The click lands on the empty desktop, so the target's text is not touched.
xdotool mousemove --sync 1000 100 keydown shift click 1 keyup shift
settle
xdotool search --onlyvisible --name "^五笔输入法\$" >/dev/null || fail "Shift with a click hid the bar"
xdotool key n i 1
expect_typed "中$first_of_z"$'0\n好Ani2 你你'

# Caps Lock drops the pending pinyin and types capitals, digits and blanks as themselves.
xdotool key h a Caps_Lock
settle
xdotool key a b 1
expect_typed "中$first_of_z"$'0\n好Ani2 你你AB1'
xdotool key Caps_Lock
settle
xdotool key ctrl+a BackSpace
expect_typed ""

# Output modes from the bar's menu: traditional GBK, then Big5 read back as characters.
bar_menu o 2
xdotool key a i 1
expect_typed "愛"
bar_menu o 3
xdotool key z h o n g g u o 1
expect_typed "愛中國"
bar_menu o 1
xdotool key a i 1
expect_typed "愛中國爱"

# A second start leaves at once: one input method per display, so keys are never handled twice.
timeout 10 "$AQUINE_BIN/imvara" 2>/dev/null || fail "a second imvara did not leave with 0"
xdotool key a i 1
expect_typed "愛中國爱爱"

echo "imvara typing: 16 passed, 0 failed"
