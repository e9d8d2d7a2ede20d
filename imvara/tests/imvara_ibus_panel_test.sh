#!/usr/bin/env bash
# The candidates through IBus's own panel (ibus-ui-gtk3): the pages the bar would show, its page
# buttons and clicks on a candidate, and screenshots of the preedit and the popup in a GTK entry and
# in the notepad, kept among the artefacts.
set -euo pipefail
. "$(dirname "$0")/../../tests/system/lib.sh"
. "$(dirname "$0")/ime_lib.sh"
. "$(dirname "$0")/ibus_lib.sh"
trap 'kill "${pad:-}" "${compositor:-}" 2>/dev/null || true; stop_ibus' EXIT
# The panel draws its popup with an alpha channel, which shows only under a compositing manager.
xcompmgr &
compositor=$!

start_bus
IBUS_PANEL=/usr/libexec/ibus-ui-gtk3 start_ibus
start_gtk

# popup: the panel's candidate window, once it is shown.
popup() { xdotool search --onlyvisible --class ibus-ui-gtk3 2>/dev/null | while read -r id; do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    ((HEIGHT > 100)) && { echo "$id"; break; }
done; }
# click_popup X Y: a click at a point of the popup, counted from its left edge and its bottom.
click_popup() {
    eval "$(xdotool getwindowgeometry --shell "$(popup)")"
    xdotool mousemove --sync $((X + $1)) $((Y + HEIGHT - $2)) click 1
    settle
}

xdotool key --delay 20 s h i
poll 10 test -n "$(popup)" || { screenshot imvara_ibus_fail; fail "no candidate popup (engine $(ibus engine), typed $(cat "$typed"), windows $(xdotool search --class ibus-ui-gtk3 | while read w; do xdotool getwindowgeometry $w | tr "\n" " "; done))"; }
screenshot imvara_ibus_gtk_page1
# The panel's page button shows the second page, the bar's: a click on its third candidate types it.
click_popup 80 16
screenshot imvara_ibus_gtk_page2
eval "$(xdotool getwindowgeometry --shell "$(popup)")"
xdotool mousemove --sync $((X + 60)) $((Y + 53)) click 1
expect_typed "诗"
# And back: the first page again, chosen from the keyboard.
xdotool key --delay 20 s h i Next
settle
click_popup 43 16
xdotool key 2
expect_typed "诗时"
kill "$gtk_pid"

QT_IM_MODULE=ibus start_notepad
settle 0.5
xdotool key --delay 30 n i h a o 1 z h o n g g u o
poll 10 test -n "$(popup)" || fail "no candidate popup over the notepad"
screenshot imvara_ibus_notepad
echo "imvara through the IBus panel: 3 passed, 0 failed"
