#!/usr/bin/env bash
# On a scaled screen (Qt scale factor 2) the saved picture has the screen's own pixels, not a scaled copy.
set -euo pipefail
. "$(dirname "$0")/shot_lib.sh"

show_pattern 1
export QT_SCALE_FACTOR=2
start_shotvara
# Qt reports the pointer in logical pixels, so the corners are picked on the logical grid (even screen
# pixels here); between them every screen pixel is kept.
drag 100 50 402 252 shotvara_capture_scaled
result_window >/dev/null
screenshot shotvara_result_scaled
save_as "$work/scaled" 0
file_written "$work/scaled.png"
"$kit" compare "$work/scaled.png" "$work/screen-1.png" 100 50 302 202 0 || fail "scaled screen: not the screen's pixels"
pass "on a scaled screen the picture has the screen's resolution"
"$kit" close-window "$(result_window)"
exited_with 0
echo "shotvara scaled screen: $passed passed, 0 failed"
