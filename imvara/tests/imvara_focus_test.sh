#!/usr/bin/env bash
# The bar never takes the keyboard focus: under a window manager the window focused before the bar
# started keeps it, and the first keys typed after the start reach it. On a Wayland session the bar
# says once, in a notice that takes no focus either, what it can reach, and keeps typing into X11.
set -euo pipefail
. "$(dirname "$0")/../../tests/system/lib.sh"
. "$(dirname "$0")/ime_lib.sh"
trap 'kill "${wm_pid:-}" 2>/dev/null || true; stop_all' EXIT

openbox --sm-disable >/dev/null 2>&1 &
wm_pid=$!
poll 5 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window' || fail "openbox did not start"
# openbox names itself before it is ready to manage windows: one mapped meanwhile is never shown.
settle 1

# offers_no_focus WINDOW WHAT: no input hint and no WM_TAKE_FOCUS, the two ways a window manager
# (sway's XWayland among them) decides that a new window wants the focus.
offers_no_focus() {
    xprop -id "$1" WM_HINTS | grep -q "accepts input or input focus: False" || fail "$2 accepts input"
    if xprop -id "$1" WM_PROTOCOLS | grep -q WM_TAKE_FOCUS; then fail "$2 offers WM_TAKE_FOCUS"; fi
}
# focus_on_target WHEN: the target has the focus, checked for half a second.
focus_on_target() {
    for _ in $(seq 10); do
        [[ $(xdotool getwindowfocus) == "$target" ]] || fail "$1: the focus is on $(xdotool getwindowfocus), not the target"
        sleep 0.05
    done
}
restart_imvara() {
    kill "$imvara_pid"
    wait "$imvara_pid" 2>/dev/null || true
    start_imvara
}

start_target
start_imvara
offers_no_focus "$bar" "the bar"
focus_on_target "after the start"
xdotool key n i h a o space
expect_typed "你好"
# Shift alone hides the bar and shows it again: mapping it anew takes no focus either.
xdotool key shift
settle
xdotool key shift
settle
focus_on_target "after the bar came back"
xdotool key h a o space
expect_typed "你好好"

# No notice on an X11 session.
if wait_window "输入法提示" 1 >/dev/null; then fail "a notice on an X11 session"; fi

# A Wayland session: the notice appears once, takes no focus, and typing into X11 goes on.
export XDG_SESSION_TYPE=wayland
restart_imvara
notice=$(wait_window "输入法提示") || fail "no notice on a Wayland session"
offers_no_focus "$notice" "the notice"
focus_on_target "with the notice open"
xdotool key n i h a o space
expect_typed "你好好你好"
settle
screenshot imvara_wayland_notice
wait_window "输入法提示" 1 >/dev/null || fail "the notice went away by itself"
# Its 关闭 button sits at the bottom right: a click there closes it and leaves the focus alone. (xwininfo,
# since xdotool counts the frame's title bar twice under a window manager.)
read -r x y w h < <(xwininfo -id "$notice" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
    /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}')
xdotool mousemove --sync $((x + w - 40)) $((y + h - 24)) click 1
poll 5 sh -c '! xdotool search --onlyvisible --name "^输入法提示\$" >/dev/null' || fail "关闭 did not close the notice"
focus_on_target "after the notice closed"
xdotool key h a o space
expect_typed "你好好你好好"
echo "imvara focus: 4 passed, 0 failed"
