#!/usr/bin/env bash
# The notepad as a person uses it: start it on a Chinese GBK file, type at the end (Chinese included),
# open a menu, save with Ctrl+S through the real save dialog, confirm replacing the file, and
# find the typed text in the file as GBK. Leaves a screenshot of the window with its menu open.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

work=$(mktemp -d)
pid=
trap '[[ -n $pid ]] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT
doc=$work/doc.txt
printf '\xd6\xd0\xce\xc4\xce\xc4\xb5\xb5\r\nHello, \xca\xc0\xbd\xe7\r\n\xb5\xda\xc8\xfd\xd0\xd0' >"$doc"
expected=$work/expected.txt
{ cat "$doc"; printf 'ab \xd6\xd0\xce\xc4'; } >"$expected"

# Predicates for poll, evaluated afresh on every try.
# windows_at_least N / windows_exactly N: visible windows of the notepad (its menus are windows too).
visible_count() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l; }
windows_at_least() { (($(visible_count) >= $1)); }
windows_exactly() { (($(visible_count) == $1)); }
caption_is() { [[ $(xdotool getwindowname "$id") == "$1" ]]; }

"$AQUINE_BIN/aquinepad" "$doc" &
pid=$!
id=$(wait_window "无标题 - Aquine记事本") || fail "no window captioned 无标题 - Aquine记事本"
xdotool windowfocus --sync "$id"
xdotool key ctrl+End
xdotool type --delay 80 "ab 中文"

# The help menu opens right of the text, so the picture shows both.
xdotool key alt+h
poll 20 windows_at_least 2 || fail "the 配置/帮助 menu did not open"
sleep 0.3 # the menu is mapped; give it a moment to paint before the picture
screenshot aquinepad_menu
xdotool key Escape
poll 20 windows_exactly 1 || fail "the menu did not close"

xdotool key ctrl+s
dialog=$(wait_window "请输入欲保存到的文本文件名：") || fail "no save dialog"
xdotool windowfocus --sync "$dialog"
xdotool key ctrl+a
xdotool type --delay 20 "$doc"
xdotool key Return

# Replacing an existing file is confirmed in a box titled like the dialog.
confirmed=no
saved() {
    cmp -s "$doc" "$expected" && return 0
    if [[ $confirmed == no ]] &&
        (($(xdotool search --onlyvisible --name "^请输入欲保存到的文本文件名：\$" 2>/dev/null | wc -l) >= 2)); then
        xdotool key alt+y
        confirmed=yes
    fi
    return 1
}
if ! poll 30 saved; then
    echo "file holds:" >&2
    od -c "$doc" >&2
    fail "the saved file does not hold the typed text in GBK"
fi
[[ $confirmed == yes ]] || fail "replacing the file was not confirmed"
poll 20 caption_is "$doc - Aquine记事本" ||
    fail "caption after saving is '$(xdotool getwindowname "$id")'"
kill -0 "$pid" || fail "aquinepad exited"
echo "aquinepad type and save: 1 passed, 0 failed"
