#!/usr/bin/env bash
# Find as a person uses it: start the notepad on a Chinese GBK file, open the find window with Ctrl+F,
# type a Chinese word into it, click "搜寻下一个", type over what the editor selected, press F3 in the
# document for the next occurrence and type over that too, then save with Ctrl+S: the saved GBK file
# has exactly those two words replaced. Leaves a screenshot of the find window beside the selected word.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

work=$(mktemp -d)
pid=
trap '[[ -n $pid ]] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT
doc=$work/doc.txt
saved=$work/saved.txt
gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK; }
gbk $'第一行：查找中文\r\nHello, 中文世界\r\n' >"$doc"
gbk $'第一行：查找汉语\r\nHello, 中国世界\r\n' >"$work/expected.txt"

"$AQUINE_BIN/aquinepad" "$doc" &
pid=$!
main=$(wait_window "无标题 - Aquine记事本") || fail "no window captioned 无标题 - Aquine记事本"
# The find window opens at 50, 50 on the screen; the document moves aside so the picture shows both.
xdotool windowmove --sync "$main" 220 220
xdotool windowfocus --sync "$main"
xdotool key ctrl+f
find=$(wait_window "寻找文本") || fail "Ctrl+F opened no window captioned 寻找文本"
xdotool windowfocus --sync "$find"
xdotool type --delay 80 "中文"

# The button "&N.搜寻下一个" sits at 200, 87 in the window, 97 x 24.
xdotool mousemove --window "$find" 248 99 click 1
sleep 0.5 # the selection is drawn; give it a moment before the picture
screenshot aquinepad_find_window
[[ -n $(wait_window "寻找文本" 2) ]] || fail "the find window closed after the search"

xdotool windowfocus --sync "$main"
xdotool type --delay 80 "汉语"
xdotool key F3
xdotool type --delay 80 "中国"
xdotool key ctrl+s
dialog=$(wait_window "请输入欲保存到的文本文件名：") || fail "no save dialog"
xdotool windowfocus --sync "$dialog"
xdotool key ctrl+a
xdotool type --delay 20 "$saved"
xdotool key Return

same_as_expected() { cmp -s "$saved" "$work/expected.txt"; }
if ! poll 30 same_as_expected; then
    echo "saved file holds:" >&2
    [[ -f $saved ]] && iconv -f GBK -t UTF-8 "$saved" | od -c >&2
    fail "the saved file is not the document with the two 中文 replaced"
fi
kill -0 "$pid" || fail "aquinepad exited"
echo "aquinepad find: 1 passed, 0 failed"
