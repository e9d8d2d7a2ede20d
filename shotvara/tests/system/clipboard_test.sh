#!/usr/bin/env bash
# A shot copied with Ctrl+C can be pasted by another program after the tool has closed: a keeper with no
# window holds it, one at a time, until another program copies or the display goes away; where a
# clipboard manager runs, the manager gets it instead.
set -euo pipefail
. "$(dirname "$0")/shot_lib.sh"

# keepers: pids of clipboard keepers on this test's display (other displays may have their own).
keepers() {
    local pid
    for pid in $(pgrep -f -- '--hold-clipboard$' || true); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "DISPLAY=$DISPLAY" && echo "$pid"
    done
    return 0
}
# ended PID: the process is gone (or a zombie, for our own children).
ended() { [[ $(ps -o stat= -p "$1" 2>/dev/null) != [^Z]* ]]; }
one_keeper() { [[ $(keepers | wc -l) == 1 ]]; }
no_keeper() { [[ -z $(keepers) ]]; }
paste_png() { xclip -selection clipboard -t image/png -o >"$1" 2>/dev/null && [[ -s $1 ]]; }

show_pattern 1
screen=$work/screen-1.png

# Nearly the whole screen, most of it a different colour in every pixel: a large transfer.
start_shotvara
drag 2 2 1020 760
in_result ctrl+c
close_box=$(result_window)
"$kit" close-window "$close_box"
exited_with 0
poll 10 one_keeper || fail "no clipboard keeper after copying and closing"
keeper=$(keepers)
paste_png "$work/pasted.png" || fail "nothing to paste after the tool closed"
"$kit" compare "$work/pasted.png" "$screen" 2 2 1018 758 0 || fail "the pasted picture differs from the screen"
xclip -selection clipboard -t TARGETS -o | grep -qx image/bmp || fail "the keeper offers no image/bmp"
pass "a copied shot pastes as the screen's exact pixels after the tool closed"

[[ -z $(xdotool search --pid "$keeper" 2>/dev/null) ]] || fail "the keeper has a window"
[[ $(readlink "/proc/$keeper/cwd") == / ]] || fail "the keeper holds its start folder"
for fd in /proc/"$keeper"/fd/*; do
    case $(readlink "$fd") in
    /dev/null | socket:* | anon_inode:* | pipe:*) ;;
    *) fail "the keeper keeps $(readlink "$fd") open" ;;
    esac
done
pass "the keeper has no window, no file and no folder open"

# A run without a copy leaves the keeper and its picture alone.
start_shotvara
drag 300 300 400 400
in_result alt+f
sleep 0.3
xdotool key x
exited_with 0
[[ $(keepers) == "$keeper" ]] || fail "a run without a copy changed the keeper"
paste_png "$work/again.png" && cmp -s "$work/pasted.png" "$work/again.png" || fail "the kept picture changed"
pass "a run without a copy keeps the earlier picture"

# The next copy replaces the keeper rather than adding one.
start_shotvara
drag 100 50 400 250
in_result ctrl+c
in_result alt+f
sleep 0.3
xdotool key x
exited_with 0
poll 10 ended "$keeper" || fail "the earlier keeper still runs"
poll 10 one_keeper || fail "not exactly one keeper after the second copy"
paste_png "$work/second.png" || fail "nothing to paste after the second copy"
"$kit" compare "$work/second.png" "$screen" 100 50 300 200 0 || fail "the second paste is not the second shot"
pass "a second copy takes over from the first keeper"

# Another program copies: the keeper ends, and that program's text is what pastes.
echo other | xclip -selection clipboard -quiet -loops 1 >/dev/null 2>&1 &
pids+=($!)
poll 10 no_keeper || fail "the keeper still runs after another program copied"
[[ $(xclip -selection clipboard -o) == other ]] || fail "the other program's copy does not paste"
pass "the keeper ends when another program copies"

# Where a clipboard manager runs, the tool hands the picture to it as it ends, and starts no keeper.
"$kit" clipboard-manager >"$work/manager" &
pids+=($!)
poll 10 grep -qx ready "$work/manager" || fail "the clipboard manager did not start"
start_shotvara
drag 300 100 500 300
in_result ctrl+c
in_result alt+f
sleep 0.3
xdotool key x
exited_with 0
grep -q '^saved ' "$work/manager" || fail "the tool did not hand its picture to the clipboard manager"
no_keeper || fail "a keeper was started although a clipboard manager runs"
paste_png "$work/managed.png" || fail "nothing to paste from the clipboard manager"
"$kit" compare "$work/managed.png" "$screen" 300 100 200 200 0 || fail "the manager's picture is not the shot"
pass "a running clipboard manager gets the picture, and no keeper starts"

# A keeper whose display goes away ends too, instead of waiting for hours.
dfile=$work/display
Xvfb -displayfd 3 -screen 0 320x240x24 -nolisten tcp 3>"$dfile" 2>/dev/null &
xvfb=$!
pids+=("$xvfb")
poll 10 test -s "$dfile" || fail "second Xvfb did not start"
DISPLAY=":$(head -n1 "$dfile")" "$AQUINE_BIN/shotvara" --hold-clipboard <"$work/second.png" >"$work/ready" 2>/dev/null &
lone=$!
pids+=("$lone")
poll 20 test -s "$work/ready" || fail "the keeper did not take the second display's clipboard"
kill "$xvfb"
poll 20 ended "$lone" || fail "the keeper outlives its display"
pass "the keeper ends with its display"
echo "shotvara clipboard: $passed passed, 0 failed"
