# Shared steps of the screenshot tool's Wayland tests (under with_sway.sh, usually with_portal.sh): a
# terminal with known text, windows found through sway, a virtual mouse, keys through wtype, grim.
# Needs AQUINE_BIN, AQUINE_ARTEFACTS and SHOTVARA_POINTER (ctest sets them).
. "$(dirname "${BASH_SOURCE[0]}")/../../../tests/system/lib.sh"

work=$(mktemp -d)
pids=()
cleanup() {
    local p
    exec 7>&- 2>/dev/null || true
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$AQUINE_ARTEFACTS"
# A failure leaves the screen as it was among the artefacts.
fail() {
    grim "$AQUINE_ARTEFACTS/${0##*/}-failure.png" 2>/dev/null || true
    echo "FAIL: $*" >&2
    exit 1
}

# wl_screenshot NAME: the whole output among the test artefacts.
wl_screenshot() { grim "$AQUINE_ARTEFACTS/$1.png"; }

# window_rect APP_ID|TITLE: "X Y W H" of the first visible window with that app id or title.
window_rect() {
    swaymsg -t get_tree | python3 -c '
import json, sys
want = sys.argv[1]
def walk(n):
    if n.get("pid") and n.get("visible") and want in (n.get("app_id"), n.get("name")):
        r = n["rect"]
        print(r["x"], r["y"], r["width"], r["height"], n.get("fullscreen_mode", 0))
        sys.exit(0)
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        walk(c)
walk(json.load(sys.stdin))
sys.exit(1)' "$1"
}
window_shown() { window_rect "$1" >/dev/null; }
# capture_shown: the capture window is full screen over the whole output.
capture_shown() { [[ $(window_rect shotvara) == "0 0 1024 768 1" ]]; }
capture_hidden() { ! window_rect shotvara | grep -q ' 1$'; }

# show_terminal: foot full of known text, the output grabbed by grim as $work/screen.png once it shows.
terminal_drawn() { grim "$work/screen.png" && [[ $(convert "$work/screen.png" -format '%[fx:standard_deviation>0.05]' info:) == 1 ]]; }
show_terminal() {
    # The seat has its pointer before any program of ours starts (one that appears later reaches Qt
    # late); sway draws it into every picture of the screen, so it hides while it rests.
    swaymsg -q seat seat0 hide_cursor 100
    pointer move 1000 700
    foot --override=colors.background=202830 -e sh -c 'for i in $(seq 30); do echo "第 $i 行 截图测试 shotvara Wayland 0123456789"; done; exec sleep 600' \
        >"$work/foot.log" 2>&1 &
    pids+=($!)
    poll 30 window_shown foot || fail "foot did not show"
    poll 30 terminal_drawn || fail "foot's text is not on the screen"
    sleep 0.3
    grim "$work/screen.png"
}

# start_shotvara: starts the program (its pid in $shot_pid) and waits for its full-screen capture window.
start_shotvara() {
    "$AQUINE_BIN/shotvara" 2>"$work/shotvara.err" &
    shot_pid=$!
    pids+=("$shot_pid")
    poll 30 capture_shown || fail "no capture window covering the screen"
}

# The virtual mouse, started on first use; pointer COMMAND waits until the compositor took it.
pointer() {
    if [[ -z ${pointer_started:-} ]]; then
        coproc POINTER { "${SHOTVARA_POINTER:?}" 1024 768; }
        pids+=("$POINTER_PID")
        exec 7>&"${POINTER[1]}"
        read -r -t 10 reply <&"${POINTER[0]}" && [[ $reply == ok ]] || fail "no virtual pointer"
        pointer_started=1
    fi
    echo "$*" >&7
    read -r -t 10 reply <&"${POINTER[0]}" && [[ $reply == ok ]] || fail "the pointer did not take: $*"
}

# drag X1 Y1 X2 Y2 [ARTEFACT]: drags with the left button through a few points on the way; ARTEFACT
# names a grim screenshot taken while the button is still down, once the outline shows.
# The outline runs just outside the selection: its left side is no longer the screen's pixels.
outline_drawn() {
    local left=$(( (x1 < x2 ? x1 : x2) - 1 )) top=$(( (y1 < y2 ? y1 : y2) + 10 )) h=$(( (y1 < y2 ? y2 - y1 : y1 - y2) - 20 ))
    grim "$work/drag.png" || return 1
    convert "$work/drag.png" -crop "1x$h+$left+$top" +repage "$work/edge-now.png"
    convert "$work/screen.png" -crop "1x$h+$left+$top" +repage "$work/edge-before.png"
    local differ
    differ=$(compare -metric AE "$work/edge-now.png" "$work/edge-before.png" null: 2>&1) || true
    [[ $differ =~ ^[0-9]+$ ]] && ((differ > h / 3))
}
drag() {
    x1=$1 y1=$2 x2=$3 y2=$4
    local artefact=${5:-}
    pointer move "$x1" "$y1"
    pointer down
    for step in 1 2 3 4; do pointer move $((x1 + (x2 - x1) * step / 4)) $((y1 + (y2 - y1) * step / 4)); done
    poll 20 outline_drawn || fail "no outline while dragging"
    [[ -n $artefact ]] && cp "$work/drag.png" "$AQUINE_ARTEFACTS/$artefact.png"
    pointer up
}

# keys ARGS...: wtype's arguments, e.g. keys -M ctrl s -m ctrl. Each wtype brings its own keymap, and a
# key sent at once with it can be lost: the first one waits a moment.
keys() { wtype -s 150 "$@"; }

# save_as PATH: Ctrl+S in the result window, the name typed into the save dialog (PNG row), Enter.
save_as() {
    poll 30 window_shown 截图 || fail "no result window 截图"
    keys -M ctrl s -m ctrl
    poll 30 window_shown 另存为 || fail "no save dialog 另存为"
    sleep 0.3
    keys -M ctrl a -m ctrl "$1" -s 100 -k Return
    poll 30 eval '! window_shown 另存为' || fail "save dialog still open"
    poll 30 test -s "$1" || fail "$1 was not written"
}

# keepers: pids of Wayland clipboard keepers of this test's compositor (others may run beside it).
keepers() {
    local pid
    for pid in $(pgrep -f -- '--hold-clipboard wayland$' || true); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR" && echo "$pid"
    done
    return 0
}
one_keeper() { [[ $(keepers | wc -l) == 1 ]]; }
ended() { ! kill -0 "$1" 2>/dev/null; }

# same_picture A B: every pixel equal.
same_picture() { [[ $(compare -metric AE "$1" "$2" null: 2>&1) == 0 ]]; }

# exited_with CODE: waits for shotvara to end and checks its exit code.
exited_with() {
    local rc
    poll 30 eval '! kill -0 '"$shot_pid"' 2>/dev/null' || fail "shotvara did not end"
    wait "$shot_pid" && rc=0 || rc=$?
    [[ $rc == "$1" ]] || fail "shotvara ended with $rc, not $1"
}

passed=0
pass() { passed=$((passed + 1)); echo "ok: $*"; }
