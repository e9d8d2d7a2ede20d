#!/usr/bin/env bash
# The GIF and JPEG rows write real GIF and JPEG files; flat colours survive a GIF exactly; the close box
# ends the program with 0.
set -euo pipefail
. "$(dirname "$0")/shot_lib.sh"

show_pattern 1
screen=$work/screen-1.png
start_shotvara

# Flat blocks of six colours.
drag 520 10 900 300
result_window >/dev/null
save_as "$work/blocks" 1
file_written "$work/blocks.gif"
[[ $(magic "$work/blocks.gif") == 4749463839* ]] || fail "blocks.gif is not a GIF"
"$kit" compare "$work/blocks.gif" "$screen" 520 10 380 290 0 || fail "GIF of flat colours is not exact"
pass "GIF row writes a GIF, exact for flat colours"

save_as "$work/blocks" 2
file_written "$work/blocks.jpg"
[[ $(magic "$work/blocks.jpg") == ffd8ff* ]] || fail "blocks.jpg is not a JPEG"
"$kit" compare "$work/blocks.jpg" "$screen" 520 10 380 290 3 || fail "JPEG too far from the screen"
pass "JPEG row writes a JPEG close to the screen"

# Thousands of colours: the GIF is a dithered 256-colour picture, each pixel near the screen's (dither
# noise of a few levels per channel).
in_result ctrl+n
drag 10 10 490 400
result_window >/dev/null
save_as "$work/gradient" 1
file_written "$work/gradient.gif"
"$kit" compare "$work/gradient.gif" "$screen" 10 10 480 390 10 || fail "GIF of a gradient is not faithful"
pass "GIF of many colours stays faithful"

# A name typed with an extension keeps it and decides the format, whatever the row.
save_as "$work/typed.jpg" 0
file_written "$work/typed.jpg"
[[ $(magic "$work/typed.jpg") == ffd8ff* ]] || fail "typed.jpg is not a JPEG"
[[ ! -e $work/typed.jpg.png ]] || fail "extension added to a name that had one"
pass "a typed picture extension is kept and decides the format"

# The close box (WM_DELETE_WINDOW, as a window manager sends it).
"$kit" close-window "$(result_window)"
exited_with 0
pass "the close box ends the program with exit code 0"
echo "shotvara formats: $passed passed, 0 failed"
