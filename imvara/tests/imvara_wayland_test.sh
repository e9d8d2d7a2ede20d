#!/usr/bin/env bash
# imvara's input-method-v2 front end under sway, typing into foot through a virtual keyboard: pinyin
# and choices, Backspace, paging, key repeat, Shift alone and Caps Lock as on X11, the candidates on
# screen beside no focus of their own, and 300-key bursts exact and in order.
set -euo pipefail
here=$(dirname "$0")
. "$here/../../tests/system/lib.sh"
. "$here/burst_lib.sh"
trap 'stop_busy_loops; kill "${imvara_pid:-}" "${foot_pid:-}" "${other_pid:-}" 2>/dev/null; wait 2>/dev/null || true' EXIT

type_keys() { "$WL_KEYS" --delay "$1" "type:$2"; }
keys() { "$WL_KEYS" "$@"; }

# foot writes every byte typed into it to $out.
out=$(mktemp)
foot sh -c 'stty -icanon -echo; exec cat > "$1"' sh "$out" 2>/dev/null &
foot_pid=$!
foot_mapped() { [[ $(swaymsg -t get_tree) == *'"app_id": "foot"'* ]]; }
poll 10 foot_mapped || fail "foot did not open"

"$AQUINE_BIN/imvara" &
imvara_pid=$!
# The keyboard is ours once foot's text field has activated the input method; until then the keys
# reach foot as they are.
grabbed() {
    keys type:ni1
    sleep 0.2
    [[ $(tail -c 3 "$out") == 你 ]]
}
poll 10 grabbed || fail "imvara never took the keyboard: foot got '$(cat "$out")'"

# A second start finds the seat taken and leaves quietly; the first one keeps the keyboard.
second=$(mktemp)
timeout 20 "$AQUINE_BIN/imvara" 2>"$second" || fail "a second start failed: $(cat "$second")"
grep -q "已有输入法" "$second" || fail "a second start said '$(cat "$second")'"

mark() { offset=$(stat -c %s "$out"); }
arrived() { tail -c +$((offset + 1)) "$out"; }
# expect TEXT: exactly TEXT arrived since the mark.
expect() {
    local want=$1
    same() { [[ "$(arrived; echo .)" == "$want." ]]; }
    poll 5 same || fail "expected '$want', foot got '$(arrived | od -An -c | tr -s ' ')'"
}
# Whether the candidate bar is on screen: the light face of its candidate row, where foot is dark.
bar_shown() {
    grim "$1"
    local rgb
    rgb=$(convert "$1" -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' -crop 1x1+600+728 info:)
    read -r r g b <<<"$rgb"
    ((r > 200 && g > 200 && b > 200))
}
mkdir -p "$AQUINE_ARTEFACTS"

passed=1

# nihao and Space: the composition inline in foot, the candidates on screen while composing, 你好 typed.
mark
keys type:nihao
poll 5 bar_shown "$AQUINE_ARTEFACTS/imvara_wayland_composing.png" || fail "no candidates on screen"
[[ -z $(arrived) ]] || fail "letters reached foot while composing: '$(arrived)'"
foot_mapped_focused() { [[ $(swaymsg -t get_tree | tr -d ' \n') == *'"focused":true'*'"app_id":"foot"'* ]]; }
foot_mapped_focused || fail "foot lost the focus to the candidates"
keys space
expect 你好
bar_shown "$AQUINE_ARTEFACTS/imvara_wayland_done.png" && fail "the candidates stayed after the commit"
((++passed))

# Backspace takes back a letter while composing and reaches foot when nothing is composed; held, it
# repeats over the letters and stops where they end.
mark
keys type:nihaoo BackSpace space BackSpace
expect $'你好\x7f'
mark
keys type:nihao down:BackSpace sleep:1500 up:BackSpace type:1
expect 1
((++passed))

# Page Down and Page Up page the candidates; the numbers choose on the page shown.
page2=$("$AQUINE_BIN/imvara-lookup" pages shi --pages 2 | sed -n 2p | sed -E 's/^ 1\.([^ ]+).*/\1/')
page1=$("$AQUINE_BIN/imvara-lookup" pages shi | sed -E 's/^ 1\.[^ ]+ 2\.([^ ]+).*/\1/')
mark
keys type:shi Page_Down type:1 type:shi Page_Down Page_Up type:2
expect "$page2$page1"
((++passed))

# Shift alone: the letters composed go out as they are and direct input follows; Shift again brings
# pinyin back. Shift held with a key is no switch.
mark
keys type:ni1 Shift_L type:ab Shift_L type:hao1 type:ni Shift_L type:x Shift_L type:A type:hao1
expect "你ab好nixA好"
((++passed))

# Caps Lock: capitals typed as they are, pinyin again once it is off.
mark
keys Caps_Lock type:ab Caps_Lock type:ni1
expect "AB你"
((++passed))

# 300 keys of pinyin, choice keys, punctuation and digits: with both cores busy, and without pauses.
burst_out=$out
busy_loops 2
expect_burst 101 300 3 "cores busy"
expect_burst 102 300 3 "cores busy"
stop_busy_loops
expect_burst 103 300 0 "without pauses"
((++passed))

# Another text field takes the focus: the composition in the first is dropped with its candidates, the
# keyboard follows the focus, and the first field gets it back.
other=$(mktemp)
foot --app-id=imvara-other sh -c 'stty -icanon -echo; exec cat > "$1"' sh "$other" 2>/dev/null &
other_pid=$!
mark
keys type:hao
other_mapped() { [[ $(swaymsg -t get_tree) == *'"app_id": "imvara-other"'* ]]; }
poll 10 other_mapped || fail "the second foot did not open"
typed_there() {
    keys type:ni1
    sleep 0.2
    [[ $(tail -c 3 "$other") == 你 ]]
}
poll 10 typed_there || fail "no pinyin in the second field: '$(cat "$other")'"
[[ -z $(arrived) && $(cat "$other") == 你 ]] || fail "the composition leaked: '$(arrived)' '$(cat "$other")'"
swaymsg '[app_id="^foot$"] focus' >/dev/null
sleep 0.3
bar_shown "$AQUINE_ARTEFACTS/imvara_wayland_refocused.png" && fail "the candidates stayed after the focus moved"
keys type:hao1
expect 好
[[ $(cat "$other") == 你 ]] || fail "the second field got '$(cat "$other")'"
kill "$other_pid"
((++passed))

echo "imvara wayland: $passed passed, 0 failed"
