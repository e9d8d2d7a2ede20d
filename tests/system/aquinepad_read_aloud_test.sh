#!/usr/bin/env bash
# 朗读文档 in the real notepad on a machine without a sound card: no message, no noise on standard
# error, the word being read selected and moving on in time with the speech, and Escape giving the
# caret back. Leaves a screenshot of a word selected while it is read.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

work=$(mktemp -d)
pid=
trap '[[ -n $pid ]] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT
printf '今天天气很好，我们去公园散步吧。Hello world.\r\n第二行的文字。' | iconv -f UTF-8 -t GBK >"$work/doc.txt"

"$AQUINE_BIN/aquinepad" "$work/doc.txt" 2>"$work/stderr" &
pid=$!
id=$(wait_window "无标题 - Aquine记事本") || fail "no notepad window"
xdotool windowfocus --sync "$id"
eval "$(xdotool getwindowgeometry --shell "$id")"
# The editor's first lines, below the menu bar.
shot() { import -window root -crop "${WIDTH}x120+${X}+$((Y + 24))" +repage "$work/$1.png"; }
# How many pixels two pictures differ by; a blinking caret alone accounts for a few dozen.
differ() { compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 | cut -d' ' -f1; }
menus_closed() { (($(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l) == 1)); }

sleep 0.3
shot before
# 编辑 and 扩展 share the access key E: the menu bar walks on from 编辑 to 寻找 to 扩展.
xdotool key alt+e
sleep 0.3
xdotool key Right Right r
poll 10 menus_closed || fail "the 扩展 menu did not close"
sleep 0.6
shot first
sleep 0.7
shot second
mkdir -p "$AQUINE_ARTEFACTS" && cp "$work/second.png" "$AQUINE_ARTEFACTS/aquinepad_read_aloud.png"
echo "pixels changed: $(differ before first) by the first word, $(differ first second) as it moved on"
(($(differ before first) > 100)) || fail "no word is selected while reading"
(($(differ first second) > 100)) || fail "the selection did not move on with the speech"

xdotool key Escape
sleep 0.4
shot after
(($(differ before after) < 60)) || fail "Escape did not give the caret back ($(differ before after) pixels differ)"
kill -0 "$pid" || fail "the notepad ended"
! grep -i -E 'alsa|espeak|error' "$work/stderr" || fail "the reading wrote to standard error"
echo "aquinepad read aloud: 1 passed, 0 failed"
