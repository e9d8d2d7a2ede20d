#!/usr/bin/env bash
# The notepad starts on a real X server and shows its main window with the caption of a new document.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

"$AQUINE_BIN/aquinepad" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

id=$(wait_window "无标题 - Aquine记事本") || fail "no window captioned 无标题 - Aquine记事本"
[[ $(xdotool getwindowname "$id") == "无标题 - Aquine记事本" ]] || fail "caption changed"
eval "$(xdotool getwindowgeometry --shell "$id")"
(( WIDTH > 100 && HEIGHT > 100 )) || fail "window is ${WIDTH}x${HEIGHT}"
screenshot aquinepad_start
kill -0 "$pid" || fail "aquinepad exited"
echo "aquinepad start: 1 passed, 0 failed"
