#!/usr/bin/env bash
# The input method types into the notepad, and what it typed is saved as GBK: the suite end to end.
set -euo pipefail
. "$(dirname "$0")/../../tests/system/lib.sh"
. "$(dirname "$0")/ime_lib.sh"
folder=$(mktemp -d)
trap 'kill "${pad:-}" 2>/dev/null || true; stop_all; rm -rf "$folder"' EXIT

"$AQUINE_BIN/aquinepad" &
pad=$!
id=$(wait_window "无标题 - Aquine记事本") || fail "no notepad window"
xdotool windowfocus --sync "$id"
start_imvara

xdotool key --delay 30 z h o n g g u o 1 n i h a o 1 comma s h i j i e 1 Return a space
settle 1

# Save with the bar hidden, so the file name typed into the dialog is not taken as pinyin.
xdotool key shift
settle
xdotool key ctrl+s
dialog=$(wait_window "请输入欲保存到的文本文件名：") || fail "no save dialog"
xdotool windowfocus --sync "$dialog"
xdotool key ctrl+a
xdotool type --delay 20 "$folder/typed.txt"
xdotool key Return
expected=$(printf '中国你好,世界\r\n啊' | iconv -f UTF-8 -t GBK | od -An -tx1 | tr -d ' \n')
saved() { [[ -f $folder/typed.txt && $(od -An -tx1 "$folder/typed.txt" | tr -d ' \n') == "$expected" ]]; }
poll 20 saved || fail "the notepad saved $(od -c "$folder/typed.txt" 2>/dev/null | head -3)"
echo "imvara into the notepad: 1 passed, 0 failed"
