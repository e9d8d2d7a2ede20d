#!/usr/bin/env bash
# File names that are not UTF-8, as a person meets them: a GBK name from a Windows archive and a
# Latin-1 one, in a folder below the one the notepad is started from. Each opens from the command
# line, is edited, saved with Ctrl+S through the real save dialog (which starts at that file), and
# lands in the same file: the bytes are checked, the names on disk must not change, and the caption
# shows the name readably.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

work=$(mktemp -d)
pid=
trap '[[ -n $pid ]] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$work/files"
gbk=$(printf '\xd6\xd0\xce\xc4.txt')   # 中文.txt in GBK
latin1=$(printf 'caf\xe9.txt')         # café.txt in Latin-1
printf '\xbc\xd7\r\n' >"$work/files/$gbk"
printf 'abc\r\n' >"$work/files/$latin1"
names_before=$(ls "$work/files" | od -An -tx1)

caption_is() { [[ $(xdotool getwindowname "$id") == "$1" ]]; }
holds() { cmp -s "$1" "$2"; }

# save_edit NAME SHOWN: starts the notepad on files/NAME from $work, types "ok" at the end, saves with
# Ctrl+S, confirms replacing the file, and checks the file and the caption.
save_edit() {
    local name=$1 shown=$2 expected=$work/expected
    { cat "$work/files/$name"; printf 'ok'; } >"$expected"
    (cd "$work" && exec "$AQUINE_BIN/aquinepad" "files/$name") &
    pid=$!
    id=$(wait_window "无标题 - Aquine记事本") || fail "no window for $shown"
    xdotool windowfocus --sync "$id"
    xdotool key ctrl+End
    xdotool type --delay 60 "ok"
    xdotool key ctrl+s
    dialog=$(wait_window "请输入欲保存到的文本文件名：") || fail "no save dialog for $shown"
    xdotool windowfocus --sync "$dialog"
    sleep 0.3
    [[ $name == "$gbk" ]] && screenshot aquinepad_save_gbk_name
    xdotool key Return
    # The dialog starts at the opened file, so keeping its name replaces it after a question.
    box() { (($(xdotool search --onlyvisible --name "^请输入欲保存到的文本文件名：\$" 2>/dev/null | wc -l) >= 2)); }
    poll 20 box || fail "replacing $shown was not asked (was the dialog at the opened file?)"
    xdotool key alt+y
    if ! poll 20 holds "$work/files/$name" "$expected"; then
        od -c "$work/files/$name" >&2
        fail "$shown does not hold the edited text"
    fi
    poll 20 caption_is "$work/files/$shown - Aquine记事本" ||
        fail "caption after saving is '$(xdotool getwindowname "$id")'"
    [[ $name == "$gbk" ]] && screenshot aquinepad_gbk_name_saved
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    pid=
}

save_edit "$gbk" "中文.txt"
save_edit "$latin1" "caf�.txt"
[[ $(ls "$work/files" | od -An -tx1) == "$names_before" ]] || fail "names on disk changed: $(ls "$work/files" | od -c)"
[[ ! -e $work/a.txt && $(ls "$work" | wc -l) -eq 2 ]] || fail "a file appeared beside: $(ls "$work")"
echo "aquinepad file names: 2 passed, 0 failed"
