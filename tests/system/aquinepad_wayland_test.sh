#!/usr/bin/env bash
# The notepad native on a Wayland compositor (sway, with XWayland running beside it): started as from
# a console session (no XDG_SESSION_TYPE, no QT_QPA_PLATFORM, DISPLAY set) on a GBK file, it takes
# Wayland and opens no X display. Typed into through a virtual keyboard, saved with Ctrl+S through the save
# box, the file holds the typed text in GBK byte for byte. Then with the translucent frame on, every
# part of the window shows the solid picture mixed with the desktop by the stored transparency, the
# lines repainted by typing too, and a shadow of the stored size lies around it. Leaves grim pictures
# of both.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
# A failure leaves a picture of the screen as it was.
fail() {
    mkdir -p "$AQUINE_ARTEFACTS" && grim "$AQUINE_ARTEFACTS/aquinepad_wayland_failure.png" 2>/dev/null
    echo "FAIL: $*" >&2
    exit 1
}

work=$(mktemp -d)
pid=
server=
keyboard=
trap 'for p in $pid $server $keyboard; do kill $p 2>/dev/null; done; rm -rf "$work"' EXIT
unset XDG_SESSION_TYPE QT_QPA_PLATFORM
[[ -n ${DISPLAY:-} ]] || fail "no XWayland display: the test needs one to prove it is left alone"

# The maker's server offers no update, so no box at start-up takes the focus.
mkdir -p "$work/server"
printf 'v1.0' >"$work/server/new_anotepad.txt"
mkfifo "$work/address"
"$AQUINE_BIN/aquine-server" --root "$work/server" --port 0 >"$work/address" 2>/dev/null &
server=$!
read -r -t 10 AQUINE_SERVER <"$work/address" || fail "aquine-server did not start"
export AQUINE_SERVER

mkdir "$work/program"
cp "$AQUINE_BIN/aquinepad" "$AQUINE_BIN/QQ2008.she" "$work/program/"
# settings AERO: a program folder whose settings turn the translucent frame on (是) or off (否).
settings() {
    printf '[配置信息]\r\n启动窗口_宽度=600\r\n启动窗口_高度=360\r\n色调=0\r\n透明度=160\r\n阴影大小=18\r\n皮肤=\\QQ2008.she\r\naero=%s\r\n' "$1" |
        iconv -f UTF-8 -t GBK >"$work/program/配置.ini"
}
doc=$work/doc.txt
printf '\xd6\xd0\xce\xc4\xce\xc4\xb5\xb5\r\nHello, \xca\xc0\xbd\xe7\r\n' >"$doc"
expected=$work/expected.txt
{ cat "$doc"; printf 'ab \xd6\xd0\xce\xc4'; } >"$expected"

# The seat has no keyboard but each wtype's virtual one, gone when that wtype ends; the notepad
# would take that for the keyboard leaving and close its menus. One more stays for the whole test.
wtype -s 600000 &
keyboard=$!

# Floating windows keep the size they ask for and sit in the middle of the output.
swaymsg 'for_window [app_id="aquinepad"] floating enable' >/dev/null

# titled NAME: the notepad's window of that title is mapped (sway's tree, as the user sees it).
titled() {
    swaymsg -t get_tree | /usr/bin/python3 -c '
import json, sys
def walk(n):
    yield n
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        yield from walk(c)
sys.exit(0 if any(n.get("name") == sys.argv[1] and n.get("visible") for n in walk(json.load(sys.stdin))) else 1)' "$1"
}
# peers_named PATTERN: how many of the notepad's sockets are connected to a socket bound to a
# name matching PATTERN.
peers_named() {
    ss -xpn | awk -v me="pid=$pid," -v pattern="$1" '
        $1 == "u_str" { bound[$6] = $5 }
        $1 == "u_str" && index($0, me) { peer[$8] = 1 }
        END { n = 0; for (p in peer) if (bound[p] ~ pattern) n++; print n }'
}
start_notepad() {
    settings "$1"
    "$work/program/aquinepad" "$doc" &
    pid=$!
    poll 20 titled "无标题 - Aquine记事本" || fail "no window captioned 无标题 - Aquine记事本"
    swaymsg '[app_id="aquinepad"] focus' >/dev/null
    sleep 1 # drawn, and the start-up check answered
}
# keys ARG...: wtype, after a pause in which the client takes the keymap wtype's virtual keyboard
# brings; without it the first key of each call can arrive before the keymap and be lost.
keys() { wtype -s 150 "$@"; }
stop_notepad() { kill "$pid"; wait "$pid" 2>/dev/null || true; pid=; }
# rgb FILE X Y: the pixel's red, green and blue, 0 to 255.
rgb() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | tail -n1 | sed -E 's/^[^(]*\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3/'; }

start_notepad 否
(($(peers_named 'wayland-') >= 1)) || fail "the notepad is not connected to the compositor"
(($(peers_named 'X11-unix') == 0)) || fail "the notepad opened the X display $DISPLAY"
keys -M ctrl -k End -m ctrl
keys -d 40 "ab 中文"
sleep 0.5
grim "$work/solid.png"

keys -M ctrl s -m ctrl
poll 20 titled "请输入欲保存到的文本文件名：" || fail "no save dialog"
keys -M ctrl a -m ctrl
keys -d 10 "$doc"
keys -k Return
confirmed=no
saved() {
    cmp -s "$doc" "$expected" && return 0
    # Replacing the file is confirmed in a box of its own, titled like the dialog.
    if [[ $confirmed == no ]] && titled "请输入欲保存到的文本文件名：" && sleep 0.5; then
        keys -M alt y -m alt
        confirmed=yes
    fi
    return 1
}
if ! poll 30 saved; then
    od -c "$doc" >&2
    fail "the saved file does not hold the typed text in GBK"
fi
poll 20 titled "$doc - Aquine记事本" || fail "no caption '$doc - Aquine记事本' after saving"
stop_notepad

start_notepad 是
keys -M ctrl -k End -m ctrl
keys -d 40 "x"
sleep 0.5
grim "$work/aero.png"

# 快速截图 starts the screenshot tool beside the notepad as on X11, in the session as it is. A stand-in
# that writes down where it was started stands for it: what the tool does there is its own affair.
printf '#!/bin/sh\nprintf "%%s|%%s|%%s\\n" "$WAYLAND_DISPLAY" "$DISPLAY" "${QT_QPA_PLATFORM-unset}" >>"%s"\n' \
    "$work/started" >"$work/program/shotvara"
chmod +x "$work/program/shotvara"
# Alt+E opens 编辑(&E), the first of two menus with that letter; Right twice goes on to 扩展(&E).
keys -M alt e -m alt -s 300 -k Right -s 100 -k Right -s 300 u
poll 10 test -s "$work/started" || fail "快速截图 did not start shotvara"
[[ $(cat "$work/started") == "$WAYLAND_DISPLAY|$DISPLAY|unset" ]] ||
    fail "shotvara started with '$(cat "$work/started")', not the session's '$WAYLAND_DISPLAY|$DISPLAY|unset'"
mkdir -p "$AQUINE_ARTEFACTS"
cp "$work/solid.png" "$AQUINE_ARTEFACTS/aquinepad_wayland_solid.png"
cp "$work/aero.png" "$AQUINE_ARTEFACTS/aquinepad_wayland_aero.png"
stop_notepad

# The 600x360 window stands at 212,204. Points on the menu bar, the text's paper, the line typed
# into (right of its text), the status bar; the desktop far from the window.
opacity=$(awk 'BEGIN { print 0.5 + 0.5 * 160 / 255 }')
read -r dr dg db <<<"$(rgb "$work/aero.png" 900 700)"
[[ "$(rgb "$work/solid.png" 900 700)" == "$dr $dg $db" ]] || fail "the desktop changed between the pictures"
for point in "700 216" "500 450" "700 282" "700 554"; do
    read -r sr sg sb <<<"$(rgb "$work/solid.png" $point)"
    read -r tr tg tb <<<"$(rgb "$work/aero.png" $point)"
    [[ "$sr $sg $sb" != "$dr $dg $db" ]] || fail "no window at $point"
    for c in "$sr $dr $tr" "$sg $dg $tg" "$sb $db $tb"; do
        read -r solid beneath seen <<<"$c"
        want=$(awk -v s="$solid" -v b="$beneath" -v a="$opacity" 'BEGIN { printf "%d", a * s + (1 - a) * b + 0.5 }')
        ((seen >= want - 3 && seen <= want + 3)) ||
            fail "at $point the window shows $tr,$tg,$tb; solid $sr,$sg,$sb over $dr,$dg,$db at opacity $opacity gives about $want"
    done
done
# The shadow, 18 pixels, goes with the window: darker than the desktop just below and left of it, the
# desktop again past its reach; none with the frame off.
light() { local r g b; read -r r g b <<<"$(rgb "$@")"; echo $((r + g + b)); }
desk=$((dr + dg + db))
(($(light "$work/solid.png" 512 567) == desk)) || fail "a shadow below the window with the frame off"
(($(light "$work/aero.png" 512 567) < desk - 30)) || fail "no shadow below the window"
(($(light "$work/aero.png" 208 380) < desk - 15)) || fail "no shadow left of the window"
(($(light "$work/aero.png" 512 590) == desk)) || fail "the shadow reaches further than 18 pixels below"
echo "aquinepad on Wayland: 1 passed, 0 failed"
