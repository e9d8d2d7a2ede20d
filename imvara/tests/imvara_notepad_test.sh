#!/usr/bin/env bash
# The input method types into the notepad, and what it typed is saved as GBK: the suite end to end.
set -euo pipefail
. "$(dirname "$0")/../../tests/system/lib.sh"
. "$(dirname "$0")/ime_lib.sh"
folder=$(mktemp -d)
trap 'kill "${pad:-}" 2>/dev/null || true; stop_all; rm -rf "$folder"' EXIT

start_notepad
start_imvara

xdotool key --delay 30 z h o n g g u o 1 n i h a o 1 comma s h i j i e 1 Return a space
settle 1

# Save with the bar hidden, so the file name typed into the dialog is not taken as pinyin.
xdotool key shift
settle
expect_notepad_saves "$folder/typed.txt" $'中国你好,世界\r\n啊'
echo "imvara into the notepad: 1 passed, 0 failed"
