#!/usr/bin/env bash
# The screenshot tool on a Wayland desktop, with foot showing known text: the frozen picture equals
# grim's picture of the screen pixel for pixel, a dragged selection saved as PNG equals that region of
# it, the shot copied with Ctrl+C pastes after the tool closed (held by our keeper, until another copy),
# 退出 ends with 0 and no picture file is left behind. Usage: wayland_shot_test.sh portal|screencopy
# (under with_portal.sh real, or with_portal.sh none so only wlr-screencopy is left).
set -euo pipefail
way=${1:?usage: wayland_shot_test.sh portal|screencopy}
. "$(dirname "$0")/wayland_lib.sh"

show_terminal
before_tmp=$(ls /tmp | sort)
start_shotvara
grim "$work/frozen.png"
same_picture "$work/frozen.png" "$work/screen.png" || fail "the frozen picture differs from grim's picture"
[[ $(convert "$work/frozen.png" -format '%[fx:mean>0.02]' info:) == 1 ]] || fail "the frozen picture is black"
if [[ $way == portal ]]; then
    grep -q 'Handle Screenshot' "$PORTAL_LOGS/xdg-desktop-portal.log" || fail "the portal was not asked"
else
    grep -q 'Handle Screenshot' "$PORTAL_LOGS/xdg-desktop-portal.log" 2>/dev/null && fail "a portal answered"
fi
pass "the frozen picture ($way) is grim's picture of the screen, pixel for pixel"

drag 100 50 400 250 "shotvara_wayland_${way}_dragging"
poll 30 window_shown 截图 || fail "no result window after the drag"
poll 30 capture_hidden || fail "capture window still shown after the release"
save_as "$work/shot.png"
convert "$work/screen.png" -crop 300x200+100+50 +repage "$work/region.png"
same_picture "$work/shot.png" "$work/region.png" || fail "the saved selection differs from that region of the screen"
pass "the selection saved as PNG is the screen's region, pixel for pixel"
wl_screenshot "shotvara_wayland_${way}_result"

keys -M ctrl c -m ctrl
keys -M alt f -m alt -s 400 x
exited_with 0
poll 10 one_keeper || fail "no clipboard keeper after copying and closing"
keeper=$(keepers)
pids+=("$keeper")
wl-paste --no-newline --type image/png >"$work/pasted.png" || fail "nothing to paste after the tool closed"
same_picture "$work/pasted.png" "$work/region.png" || fail "the pasted picture differs from the selection"
pass "Ctrl+C: the shot pastes, pixel for pixel, after the tool closed"
echo "其他程序复制的文字" | wl-copy
poll 10 ended "$keeper" || fail "the keeper did not end when another program copied"
pass "the keeper ends when another program copies"
after_tmp=$(ls /tmp | sort)
left=$(comm -13 <(echo "$before_tmp") <(echo "$after_tmp") | grep -i '\.png$' || true)
[[ -z $left ]] || fail "picture files left behind in /tmp: $left"
pass "退出 ends with 0 and no picture file is left behind"
echo "shotvara wayland $way: $passed passed, 0 failed"
