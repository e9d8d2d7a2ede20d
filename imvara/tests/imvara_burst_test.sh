#!/usr/bin/env bash
# 200 keys 5 ms apart: every one is handled, in order, and nothing reaches the target twice or late.
set -euo pipefail
. "$(dirname "$0")/../../tests/system/lib.sh"
. "$(dirname "$0")/ime_lib.sh"
trap stop_all EXIT

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
xdotool key --delay 5 "${keys[@]:0:200}"
expected_200=""
# The first 200 keys are the 20 pairs; check them, then send the rest.
for _ in $(seq 20); do expected_200+="中好"; done
expect_typed "$expected_200" 20
xdotool key --delay 5 "${keys[@]:200}"
expect_typed "$expected" 20
# While imvara cannot run (a loaded machine), keys wait in the server; when it runs again, what the
# captured keys type and the keys between them still reach the target in the order they were pressed.
xdotool key ctrl+a BackSpace
expect_typed ""
kill -STOP "$imvara_pid"
xdotool key --delay 40 n i 1 comma h a o 1 Return 0 shift+a a space period
kill -CONT "$imvara_pid"
expect_typed $'你,好\n0A啊.' 20
echo "imvara burst: 3 passed, 0 failed"
