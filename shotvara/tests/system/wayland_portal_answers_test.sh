#!/usr/bin/env bash
# The portal's other answers, from fake_portal.py (under with_portal.sh fake:1,2,2,2,0): cancelled by the
# user ends quietly with 0; refused twice (quiet, then with a dialog) says why in Chinese and ends with
# 1; refused quietly but granted with the dialog freezes the portal's picture, whose file is then gone.
set -euo pipefail
. "$(dirname "$0")/wayland_lib.sh"

requests() { grep -c interactive "$PORTAL_LOGS/fake.log" || true; }
convert -size 1024x768 gradient:'#c04020-#2060c0' -fill white -pointsize 40 -draw "text 200,300 'portal picture'" \
    -depth 8 "PNG24:$PORTAL_LOGS/picture.png"

# 1: cancelled.
"$AQUINE_BIN/shotvara" 2>"$work/shotvara.err" &
shot_pid=$!
pids+=("$shot_pid")
exited_with 0
[[ $(requests) == 1 ]] || fail "a cancelled request was asked again"
window_shown 错误 && fail "a cancelled request shows a message"
pass "cancelled by the user: no window, no message, exit code 0"

# 2, 2: refused, then refused with the dialog.
"$AQUINE_BIN/shotvara" 2>"$work/shotvara.err" &
shot_pid=$!
pids+=("$shot_pid")
poll 30 window_shown 错误 || fail "no message for a refused request"
sleep 0.3
wl_screenshot shotvara_wayland_portal_refused
[[ $(tail -n2 "$PORTAL_LOGS/fake.log" | cut -d' ' -f1-3 | tr '\n' ' ') == "interactive=0 -> 2 interactive=1 -> 2 " ]] ||
    fail "refused requests were not asked quietly, then with the dialog: $(cat "$PORTAL_LOGS/fake.log")"
keys -k Return
exited_with 1
pass "refused twice: a message, exit code 1"

# 2, 0: refused quietly, granted with the dialog.
start_shotvara
grim "$work/frozen.png"
same_picture "$work/frozen.png" "$PORTAL_LOGS/picture.png" || fail "the frozen picture is not the portal's"
handed=$(tail -n1 "$PORTAL_LOGS/fake.log" | cut -d' ' -f4)
[[ $(tail -n1 "$PORTAL_LOGS/fake.log" | cut -d' ' -f1-3) == "interactive=1 -> 0" && -n $handed ]] ||
    fail "the picture did not come from the dialog's request: $(cat "$PORTAL_LOGS/fake.log")"
[[ ! -e $handed ]] || fail "the portal's temporary picture $handed was left behind"
pass "granted with the dialog: the portal's picture frozen pixel for pixel, its file removed"
keys -k Escape
exited_with 0
pass "Escape on the capture window ends with 0"
echo "shotvara wayland portal answers: $passed passed, 0 failed"
