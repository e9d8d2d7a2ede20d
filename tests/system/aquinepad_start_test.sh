#!/usr/bin/env bash
# The notepad starts on a real X server and shows its main window with the caption of a new document,
# where and as large as the shipped 配置.ini says.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

"$AQUINE_BIN/aquinepad" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

id=$(wait_window "无标题 - Aquine记事本") || fail "no window captioned 无标题 - Aquine记事本"
[[ $(xdotool getwindowname "$id") == "无标题 - Aquine记事本" ]] || fail "caption changed"
eval "$(xdotool getwindowgeometry --shell "$id")"
((WIDTH == 794 && HEIGHT == 452)) || fail "window is ${WIDTH}x${HEIGHT}, the shipped settings say 794x452"
((X == 50 && Y == 50)) || fail "window is at ${X},${Y}, the shipped settings say 50,50"
screenshot aquinepad_start
kill -0 "$pid" || fail "aquinepad exited"
echo "aquinepad start: 1 passed, 0 failed"
