# Shared steps of the input method's system tests: a target window to type into, imvara beside it,
# and reading what arrived. Sourced after tests/system/lib.sh.

# start_target: the typing target, focused; its text lands in $typed.
start_target() {
    typed=$(mktemp)
    "$TYPING_TARGET" "$typed" &
    target_pid=$!
    target=$(wait_window "typing target") || fail "no typing target window"
    xdotool windowfocus --sync "$target"
}

# start_imvara [DIR]: the input method from DIR (default: build/bin), waiting for its bar.
start_imvara() {
    local dir=${1:-$AQUINE_BIN}
    "$dir/imvara" &
    imvara_pid=$!
    bar=$(wait_window "五笔输入法") || fail "no input method bar"
    # The keys are claimed right after the bar appears; give the grabs a moment to land.
    sleep 0.3
}

# start_notepad: the notepad, focused; its process in $pad. Whatever QT_IM_MODULE the caller set holds.
start_notepad() {
    "$AQUINE_BIN/aquinepad" &
    pad=$!
    local id
    id=$(wait_window "无标题 - Aquine记事本") || fail "no notepad window"
    xdotool windowfocus --sync "$id"
}

# expect_notepad_saves FILE TEXT: saves through the notepad's save box (the keys for the name must
# reach it as they are) and waits until FILE holds TEXT, given as UTF-8, in GBK.
expect_notepad_saves() {
    local file=$1 expected dialog
    xdotool key ctrl+s
    dialog=$(wait_window "请输入欲保存到的文本文件名：") || fail "no save dialog"
    xdotool windowfocus --sync "$dialog"
    xdotool key ctrl+a
    xdotool type --delay 20 "$file"
    xdotool key Return
    expected=$(printf '%s' "$2" | iconv -f UTF-8 -t GBK | od -An -tx1 | tr -d ' \n')
    saved() { [[ -f $file && $(od -An -tx1 "$file" | tr -d ' \n') == "$expected" ]]; }
    poll 20 saved || fail "the notepad saved $(od -c "$file" 2>/dev/null | head -3)"
}

stop_all() {
    kill "${imvara_pid:-}" "${target_pid:-}" 2>/dev/null || true
    wait 2>/dev/null || true
}

# expect_typed TEXT [SECONDS]: waits until the target holds exactly TEXT.
expect_typed() {
    local want=$1 limit=${2:-10} got
    for _ in $(seq $((limit * 20))); do
        got=$(cat "$typed"; echo .) # the dot keeps trailing line breaks
        [[ ${got%.} == "$want" ]] && return 0
        sleep 0.05
    done
    fail "target holds '$(cat "$typed")', expected '$want'"
}

# settle: lets queued X events reach their windows.
settle() { sleep "${1:-0.3}"; }

# bar_menu KEYS...: opens the bar's menu with a right click on "全拼" and types the access keys.
bar_menu() {
    eval "$(xdotool getwindowgeometry --shell "$bar")"
    xdotool mousemove --sync $((X + 30)) $((Y + 12)) click 3
    settle
    xdotool key "$@"
    settle
}
