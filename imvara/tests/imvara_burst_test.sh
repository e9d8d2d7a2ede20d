#!/usr/bin/env bash
# Bursts of keys arrive exact and in order: into a Qt window, across a stopped input method, and into
# an xterm with the cores busy. A killed run's bindings are cleared at the next start, and only ours.
set -euo pipefail
. "$(dirname "$0")/../../tests/system/lib.sh"
. "$(dirname "$0")/ime_lib.sh"
. "$(dirname "$0")/burst_lib.sh"
trap 'stop_busy_loops; kill "${xterm_pid:-}" 2>/dev/null; stop_all' EXIT

start_target
start_imvara

keys=() expected=""
for _ in $(seq 22); do
    keys+=(z h o n g 1 h a o 1)  # 中好: ten keys
    expected+="中好"
done
keys+=(n i 1 a space 5 0 x i e 2)  # 你, 啊, 5 and 0 typed as themselves, then 写 from page 1
expected+="你啊50$("$AQUINE_BIN/imvara-lookup" pages xie | sed -E 's/^ 1\.[^ ]+ 2\.([^a-z ]+).*/\1/')"
(( ${#keys[@]} == 231 )) || fail "the burst has ${#keys[@]} keys"
xdotool key --delay 5 "${keys[@]}"
expect_typed "$expected" 20
# While imvara cannot run (a loaded machine), keys wait in the server; when it runs again, what the
# captured keys type and the keys between them still reach the target in the order they were pressed.
xdotool key ctrl+a BackSpace
expect_typed ""
kill -STOP "$imvara_pid"
xdotool key --delay 40 n i 1 comma h a o 1 Return 0 shift+a a space period
kill -CONT "$imvara_pid"
expect_typed $'你,好\n0A啊.' 20
# Shift alone among the waiting keys hides and shows the bar in its place: the letters between are
# typed as they are, those around it are pinyin.
xdotool key ctrl+a BackSpace
expect_typed ""
kill -STOP "$imvara_pid"
xdotool key --delay 40 n i 1 shift a b shift h a o 1
kill -CONT "$imvara_pid"
expect_typed "你ab好" 20
kill "$target_pid"

# 300 keys of pinyin, choice keys, punctuation and digits into an xterm: with both cores busy, more
# distinct characters than spare keycodes, and without any pause between the keys.
start_xterm_target
xterm_pid=$target_pid
busy_loops 2
expect_burst 101 300 3 "cores busy"
expect_burst 102 300 3 "cores busy"
stop_busy_loops
expect_burst 103 300 0 "without pauses"

# Killed with characters still bound: the next start clears those bindings, but not one that another
# program has bound since.
xdotool key z h o n g 1 h a o 1
poll 10 grep -q "中好$" "$xterm_out" || fail "no 中好 before the kill: $(tail -c 20 "$xterm_out")"
kill -KILL "$imvara_pid"
wait "$imvara_pid" 2>/dev/null || true
marks=$(xprop -root -notype _AQUINE_IMVARA_SPARE_KEYS | grep -oE '[0-9]+' | paste -sd' ')
read -r -a pairs <<<"$marks"
((${#pairs[@]} >= 4)) || fail "no spare keycodes marked as ours: '$marks'"
ours=${pairs[0]} theirs=${pairs[2]}
keymap() { xmodmap -pke >"$typed.keymap" && grep -qE "$1" "$typed.keymap"; } # no grep -q in a pipe: pipefail
keymap "^keycode +$ours = [^ ]" || fail "keycode $ours was not bound"
xmodmap -e "keycode $theirs = F20"
start_imvara
keymap "^keycode +$ours =\s*$" || fail "keycode $ours still bound after the restart"
keymap "^keycode +$theirs = F20" || fail "keycode $theirs, bound by another program, was cleared"
[[ $(xprop -root _AQUINE_IMVARA_SPARE_KEYS) == *"not found"* ]] || fail "the old marks were kept"
xdotool key n i 1
poll 10 grep -q "你$" "$xterm_out" || fail "typing after the restart: $(tail -c 20 "$xterm_out")"

echo "imvara burst: 7 passed, 0 failed"
