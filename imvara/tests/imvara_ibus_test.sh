#!/usr/bin/env bash
# The IBus engine typing into applications whose input side we did not write: a GTK 3 entry and the
# notepad, both through their IBus input modules, under a daemon and a session bus of the test's own.
set -euo pipefail
. "$(dirname "$0")/../../tests/system/lib.sh"
. "$(dirname "$0")/ime_lib.sh"
. "$(dirname "$0")/burst_lib.sh"
. "$(dirname "$0")/ibus_lib.sh"
folder=$(mktemp -d -p "$ibus_root")
trap 'stop_busy_loops; kill "${pad:-}" 2>/dev/null || true; stop_ibus' EXIT
client=$(dirname "$0")/ibus_client.py
activate() { /usr/bin/python3 "$client" activate "$1"; xdotool windowfocus --sync "$target"; settle; }
clear_entry() { xdotool key ctrl+a BackSpace; expect_typed ""; }

start_bus
start_ibus
start_gtk

# Composing, the blank, a word from the second page and back, Backspace in a composition and past it.
xdotool key --delay 20 n i h a o space
expect_typed "你好"
xdotool key --delay 20 s h i Next 3 s h i Next Prior 2
expect_typed "你好诗时"
xdotool key --delay 20 n i h a o o BackSpace space BackSpace BackSpace
expect_typed "你好诗时"
clear_entry

# Shift alone: direct English, letters typed as they are (the composition so far goes along), and back.
xdotool key --delay 20 z h shift a b c shift n i space
expect_typed "zhabc你"
# Keys with Ctrl and keys the engine does not claim reach the application untouched.
xdotool key --delay 20 ctrl+a comma period 0
expect_typed ",.0"
clear_entry

# The output modes from the engine's menu.
activate mode.traditional
xdotool key --delay 20 z h o n g g u o space
expect_typed "中國"
activate mode.standard
xdotool key --delay 20 z h o n g g u o space
expect_typed "中國中国"
clear_entry

# A word added in the engine's word window is typed at the next lookup, and saved in word.bin.
/usr/bin/python3 "$client" activate words
words=$(wait_window "造词/维护:") || fail "no word management window"
eval "$(xdotool getwindowgeometry --shell "$words")"
xdotool mousemove --sync $((X + 35)) $((Y + 124)) click 1
box=$(wait_window "添加:") || fail "no input box"
xdotool windowfocus --sync "$box"
# The word is typed with the engine itself: the code in direct input, the characters as pinyin.
xdotool key --delay 20 shift q q q space shift x i n g 1 x i n g 1 Return
poll 10 test -s "$words_file" || fail "no word.bin after adding a word"
[[ $(od -An -tx1 "$words_file" | tr -d ' \n') == 0d0a71717120d0d0d0d0 ]] ||
    fail "word.bin holds $(od -An -tx1 "$words_file")"
xdotool windowclose "$words" 2>/dev/null || xdotool windowunmap "$words"
xdotool windowfocus --sync "$target"
settle
xdotool key --delay 20 q q q 1
expect_typed "行行"
# A word another program saved meanwhile (the bar's word window writes the same file) is found by the
# engine's next lookup.
printf '\r\nqqq \xd0\xd0\xd0\xd0\r\nzzw \xd7\xd6' >"$words_file.new" && mv "$words_file.new" "$words_file"
xdotool key --delay 20 z z w 1
expect_typed "行行字"
clear_entry

# 300 keys at 3 ms with both cores busy, and at 0 ms: nothing lost, changed or reordered.
burst_out=$typed
busy_loops 2
expect_burst 201 300 3 "GTK entry, cores busy"
stop_busy_loops
expect_burst 202 300 0 "GTK entry, without pauses"
clear_entry

# The engine killed mid-composition: the application goes on typing as it would without one, and
# choosing the engine again brings it back.
xdotool key --delay 20 n i h
settle
kill -KILL "$(engine_pid)"
settle
xdotool key --delay 20 a b c
expect_typed "abc"
ibus engine imvara
poll 10 test -n "$(engine_pid)" || fail "the engine did not start again"
xdotool key --delay 20 n i h a o space
expect_typed "abc你好"
# A restarted daemon starts the engine again from the component file.
ibus restart
poll 20 ibus_ready imvara || fail "the restarted daemon does not list the engine"
ibus engine imvara
xdotool windowfocus --sync "$target"
settle
xdotool key --delay 20 n i h a o space
expect_typed "abc你好你好"
kill "$gtk_pid"

# The same bursts into a Qt window through Qt's IBus module.
QT_IM_MODULE=ibus "$TYPING_TARGET" "$typed" &
qt_pid=$!
target=$(wait_window "typing target") || fail "no Qt typing target"
xdotool windowfocus --sync "$target"
settle 0.5
busy_loops 2
expect_burst 203 300 3 "Qt window, cores busy"
stop_busy_loops
kill "$qt_pid"

# The notepad through Qt's IBus module; what arrived is saved as GBK.
QT_IM_MODULE=ibus start_notepad
settle 0.5
xdotool key --delay 30 z h o n g g u o 1 n i h a o space comma s h i Next 3
settle 0.5
xdotool key shift # direct input for the file name
expect_notepad_saves "$folder/typed.txt" '中国你好,诗'
echo "imvara through IBus: 15 passed, 0 failed"
