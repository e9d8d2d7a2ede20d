#!/usr/bin/env bash
# The translucent frame on a real X server, with the settings "aero=是", "透明度=160", "阴影大小=18":
# without a compositing manager the notepad's window is drawn solid and nothing is shown around it;
# with one (xcompmgr) the same window lets the screen show through by the stored transparency and
# casts a shadow of the stored size; under a window manager (openbox) the shadow lies beneath the
# frame the manager drew and follows it when it moves. Leaves screenshots of both.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

work=$(mktemp -d)
pid=
compositor=
manager=
trap 'for p in $pid $manager $compositor; do kill $p 2>/dev/null; done; rm -rf "$work"' EXIT

# A program folder of its own: the notepad reads its settings and skins beside itself.
cp "$AQUINE_BIN/aquinepad" "$AQUINE_BIN/QQ2008.she" "$work/"
printf '[配置信息]\r\n屏幕_左边=120\r\n屏幕_顶边=100\r\n启动窗口_宽度=600\r\n启动窗口_高度=360\r\n色调=0\r\n透明度=160\r\n阴影大小=18\r\n皮肤=\\QQ2008.she\r\naero=是\r\n' |
    iconv -f UTF-8 -t GBK >"$work/配置.ini"

# rgb FILE X Y: the pixel's red, green and blue, 0 to 255.
rgb() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | tail -n1 | sed -E 's/^[^(]*\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3/'; }
brightness() { local r g b; read -r r g b <<<"$(rgb "$@")"; echo $(((r + g + b) / 3)); }

# start_notepad SHOT: starts it, waits for its window to be drawn, keeps a picture of the screen.
start_notepad() {
    "$work/aquinepad" &
    pid=$!
    wait_window "无标题 - Aquine记事本" >/dev/null || fail "no window captioned 无标题 - Aquine记事本"
    sleep 1 # let the window and its shadow be drawn before the picture
    import -window root "$work/$1.png"
}
stop_notepad() { kill "$pid"; wait "$pid" 2>/dev/null || true; pid=; }
# The shadow: a window 18 pixels larger on every side, cast 4 pixels down.
shadow_shown() { xwininfo -root -children | grep -q ' 636x396+102+86 '; }

# On the menu bar, left of its first item; below the window's bottom edge; far from the window.
bar=(125 112)
below=(420 464)
away=(900 700)

start_notepad solid
shadow_shown && fail "a shadow is shown with nothing to composite it"
read -r sr sg sb <<<"$(rgb "$work/solid.png" "${bar[@]}")"
stop_notepad

xcompmgr &
compositor=$!
poll 5 sh -c 'xwininfo -root -children | grep -q xcompmgr' || fail "xcompmgr did not start"
start_notepad translucent
mkdir -p "$AQUINE_ARTEFACTS"
cp "$work/translucent.png" "$AQUINE_ARTEFACTS/aquinepad_translucent.png"
shadow_shown || fail "no shadow window of 636x396 at 102,86 beneath the 600x360 window at 120,100"

# The bar is the solid colour mixed with what lies beneath, by the window's opacity.
read -r br bg bb <<<"$(rgb "$work/translucent.png" "${away[@]}")"
read -r tr tg tb <<<"$(rgb "$work/translucent.png" "${bar[@]}")"
opacity=$(awk 'BEGIN { print 0.5 + 0.5 * 160 / 255 }')
for c in "$sr $br $tr" "$sg $bg $tg" "$sb $bb $tb"; do
    read -r solid beneath seen <<<"$c"
    expected=$(awk -v s="$solid" -v b="$beneath" -v a="$opacity" 'BEGIN { printf "%d", a * s + (1 - a) * b + 0.5 }')
    ((seen >= expected - 4 && seen <= expected + 4)) ||
        fail "the bar shows $tr,$tg,$tb; solid $sr,$sg,$sb over $br,$bg,$bb at opacity $opacity gives about $expected"
done
away_light=$(brightness "$work/translucent.png" "${away[@]}")
below_light=$(brightness "$work/translucent.png" "${below[@]}")
((below_light < away_light - 20)) || fail "no shadow below the window ($below_light against $away_light)"
stop_notepad

openbox --sm-disable 2>/dev/null &
manager=$!
poll 5 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window' || fail "openbox did not start"
start_notepad framed
cp "$work/framed.png" "$AQUINE_ARTEFACTS/aquinepad_translucent_framed.png"
client=$(wait_window "无标题 - Aquine记事本")
# frame_shadow: the geometry the shadow of the client's frame must have, and the frame's id.
frame_shadow() {
    local w=$client parent
    while parent=$(xwininfo -children -id "$w" | sed -n 's/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p') &&
        ! xwininfo -id "$parent" | grep -q '(the root window)'; do
        w=$parent
    done
    frame=$w
    eval "$(xwininfo -id "$frame" | sed -n -E 's/^ *Absolute upper-left X: *(-?[0-9]+)/x=\1/p; s/^ *Absolute upper-left Y: *(-?[0-9]+)/y=\1/p; s/^ *Width: *([0-9]+)/w=\1/p; s/^ *Height: *([0-9]+)/h=\1/p')"
    expected="$((w + 36))x$((h + 36))+$((x - 18))+$((y - 14))"
}
# beneath_frame: the shadow is listed below the frame (xwininfo lists the topmost first).
beneath_frame() {
    local listing frame_line shadow_line
    listing=$(xwininfo -root -children)
    frame_line=$(grep -n "^ *$frame " <<<"$listing" | cut -d: -f1)
    shadow_line=$(grep -n " $expected " <<<"$listing" | cut -d: -f1)
    [[ -n $frame_line && -n $shadow_line ]] && ((shadow_line > frame_line))
}
frame_shadow
[[ $frame != "$client" ]] || fail "openbox did not frame the window"
beneath_frame || fail "no shadow $expected beneath the frame $frame"
xdotool windowmove --sync "$client" 300 200
frame_shadow
poll 3 beneath_frame || fail "the shadow did not follow the frame to $expected"
stop_notepad
echo "aquinepad translucent frame: 1 passed, 0 failed"
