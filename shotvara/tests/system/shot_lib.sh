# Shared steps of the screenshot tool's system tests, on top of the suite's tests/system/lib.sh.
# Needs AQUINE_BIN, AQUINE_ARTEFACTS and SHOTVARA_TESTKIT (ctest sets them).
. "$(dirname "${BASH_SOURCE[0]}")/../../../tests/system/lib.sh"

kit=${SHOTVARA_TESTKIT:?}
work=$(mktemp -d)
pids=()
cleanup() {
    local p
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$AQUINE_ARTEFACTS"


grab() { import -window root "$1"; }

# show_pattern N [X Y W H]: covers the screen with known picture N and waits until the screen (or that
# rectangle of it) shows it; the grab of the screen is kept as $work/screen-N.png.
pattern_on_screen() { grab "$work/screen-$1.png" && "$kit" shows-pattern "$work/screen-$1.png" "$@"; }
show_pattern() {
    "$kit" pattern "$1" &
    pids+=($!)
    poll 30 pattern_on_screen "$@" || fail "the screen does not show pattern $1"
}

# capture_window: the id of the visible shotvara window that covers the screen.
capture_window() {
    local id
    for id in $(xdotool search --onlyvisible --classname '^shotvara$' 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        if [[ $X == 0 && $Y == 0 && $WIDTH == "$screen_width" && $HEIGHT == "$screen_height" ]]; then
            echo "$id"
            return 0
        fi
    done
    return 1
}
capture_shown() { capture_window >/dev/null; }
capture_hidden() { ! capture_window >/dev/null; }
# in_capture KEYS...: keys sent to the capture window.
in_capture() {
    local id
    poll 30 capture_shown || fail "no capture window for the keys"
    id=$(capture_window)
    xdotool windowfocus --sync "$id"
    xdotool key "$@"
}
# start_shotvara [WRAPPER...]: starts the program (its pid in $shot_pid), through a wrapper command that
# ends by executing it if one is given, and waits for the capture window.
start_shotvara() {
    read -r screen_width screen_height < <(xdotool getdisplaygeometry)
    "$@" "$AQUINE_BIN/shotvara" &
    shot_pid=$!
    pids+=("$shot_pid")
    poll 30 capture_shown || fail "no capture window covering the screen"
}

outline_drawn() { grab "$work/drag.png" && ! "$kit" shows-pattern "$work/drag.png" 1 "$outline_x" "$outline_y" 4 4; }

# drag X1 Y1 X2 Y2 [ARTEFACT]: drags with the left button as a hand would, through a few points on the
# way; ARTEFACT names a screenshot taken while the button is still down (pattern 1 on the screen).
drag() {
    local x1=$1 y1=$2 x2=$3 y2=$4 artefact=${5:-}
    poll 30 capture_shown || fail "capture window not shown before the drag"
    xdotool mousemove "$x1" "$y1" mousedown 1
    for step in 1 2 3; do
        xdotool mousemove $((x1 + (x2 - x1) * step / 4)) $((y1 + (y2 - y1) * step / 4))
    done
    xdotool mousemove "$x2" "$y2"
    if [[ -n $artefact ]]; then
        # The outline's corner, just outside the selection, no longer shows the pattern once drawn.
        outline_x=$(( (x1 < x2 ? x1 : x2) - 2 )) outline_y=$(( (y1 < y2 ? y1 : y2) - 2 ))
        poll 20 outline_drawn || fail "no outline while dragging"
        screenshot "$artefact"
    fi
    xdotool mouseup 1
}

# result_window: waits for the visible "截图" window and prints its id.
result_window() { wait_window "截图" 30 || fail "no result window 截图"; }

# in_result KEYS...: keys sent to the result window.
in_result() {
    local id
    id=$(result_window)
    xdotool windowfocus --sync "$id"
    xdotool key "$@"
}

# save_as PATH ROW [ARTEFACT]: "另存为" through the real dialog: the filter row chosen with the keyboard (Tab from the
# name field reaches the type list; the dialog comes back with the row last used, so Home first), then
# back to the name field (Shift+Tab), the name typed, Enter. The row goes first because Qt's dialog
# rewrites a typed extension to match a newly chosen row.
dialog_gone() { ! xdotool search --onlyvisible --name '^另存为$' >/dev/null 2>&1; }
save_as() {
    local path=$1 row=$2 artefact=${3:-} dialog
    in_result ctrl+s
    dialog=$(wait_window "另存为" 30) || fail "no save dialog 另存为"
    xdotool windowfocus --sync "$dialog"
    xdotool key Tab Home
    for _ in $(seq "$row"); do xdotool key Down; done
    [[ -n $artefact ]] && screenshot "$artefact"
    xdotool key shift+Tab ctrl+a
    xdotool type --delay 15 "$path"
    xdotool key Return
    poll 30 dialog_gone || fail "save dialog still open"
}

# file_written PATH: waits for the file the save wrote.
file_written() { poll 30 test -s "$1" || fail "$1 was not written"; }

# magic FILE: the first bytes as hex.
magic() { head -c 8 "$1" | od -An -tx1 | tr -d ' \n'; }

# exited_with CODE: waits for shotvara to end and checks its exit code.
exited_with() {
    local rc
    poll 30 eval '! kill -0 '"$shot_pid"' 2>/dev/null' || fail "shotvara did not end"
    wait "$shot_pid" && rc=0 || rc=$?
    [[ $rc == "$1" ]] || fail "shotvara ended with $rc, not $1"
}

passed=0
pass() { passed=$((passed + 1)); echo "ok: $*"; }
