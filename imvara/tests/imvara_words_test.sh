#!/usr/bin/env bash
# Word management through the real windows: adding entries writes the exact bytes of word.bin beside
# the program, and the next lookup finds them.
set -euo pipefail
. "$(dirname "$0")/../../tests/system/lib.sh"
. "$(dirname "$0")/ime_lib.sh"
folder=$(mktemp -d)
trap 'stop_all; rm -rf "$folder"' EXIT

# A program folder of its own, so the test never touches build/bin/word.bin.
cp "$AQUINE_BIN/imvara" "$folder/"
start_target
start_imvara "$folder"

# click_in WINDOW X Y: a left click at client coordinates of a window.
click_in() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove --sync $((X + $2)) $((Y + $3)) click 1
}

# Another program's save: a whole new word.bin renamed over the old one, as the safe write does.
other_save() {
    printf "$1" >"$folder/word.bin.new"
    mv "$folder/word.bin.new" "$folder/word.bin"
}

# add_word TEXT: 添加, type TEXT into the input box with the bar hidden (its keys pass), OK.
add_word() {
    click_in "$words" 35 124
    wait_window "添加:" >/dev/null || fail "no input box"
    settle
    xdotool key shift
    settle
    xdotool type --delay 20 "$1"
    xdotool key Return
    settle
    xdotool key shift
    settle
}

bar_menu p
words=$(wait_window "造词/维护:") || fail "no word management window"
settle
screenshot imvara_words_window
add_word "hang 行"
[[ $(od -An -tx1 "$folder/word.bin" | tr -d ' \n') == 0d0a68616e6720d0d0 ]] ||
    fail "word.bin holds $(od -An -tx1 "$folder/word.bin")"
# Meanwhile another program adds "zzzz 中": the window's next add keeps it.
other_save '\r\nhang \xd0\xd0\r\nzzzz \xd6\xd0'
add_word "qqq 行行"
[[ $(od -An -tx1 "$folder/word.bin" | tr -d ' \n') == 0d0a68616e6720d0d00d0a7a7a7a7a20d6d00d0a71717120d0d0d0d0 ]] ||
    fail "word.bin after a second entry holds $(od -An -tx1 "$folder/word.bin")"

# Close the window and type the new word into the target.
click_in "$words" 220 124
settle
xdotool windowfocus --sync "$target"
xdotool key q q q 1
expect_typed "行行"
# A word only another program saved is found by the bar's next lookup.
other_save '\r\nhang \xd0\xd0\r\nzzzz \xd6\xd0\r\nqqq \xd0\xd0\xd0\xd0\r\nxxxx \xb9\xfa'
xdotool key z z z z 1 x x x x 1
expect_typed "行行中国"
echo "imvara words: 4 passed, 0 failed"
