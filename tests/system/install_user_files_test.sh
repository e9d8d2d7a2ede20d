#!/usr/bin/env bash
# An installed copy its user cannot write: installs the program folder with `cmake --install` to a
# temporary prefix and starts the programs there as another user (nobody). The notepad must take its
# settings from that user's ~/.config/aquine/配置.ini, copied from the shipped file at the first start
# and read from there afterwards; the input method must make its words' folder in ~/.local/share/aquine.
# Nothing may be written into the installed folder.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

command -v setpriv >/dev/null || { echo "setpriv is missing: skipped"; exit 0; }
(($(id -u) == 0)) || { echo "needs root to start programs as another user: skipped"; exit 0; }

work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$work"' EXIT
chmod 755 "$work"
prefix=$work/opt/aquine
home=$work/home
cmake --install "$AQUINE_BIN/.." --prefix "$prefix" --component Unspecified >/dev/null
mkdir -p "$home"
chown nobody: "$home"
listing_before=$(cd "$prefix" && find . | sort)

# Run in the background only: it becomes the program, so its pid is the one to stop.
as_user() {
    exec setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env HOME="$home" XDG_CONFIG_HOME= XDG_DATA_HOME= XDG_RUNTIME_DIR= "$@"
}
start_notepad() {
    as_user "$prefix/aquinepad" &
    pids+=($!)
    id=$(wait_window "无标题 - Aquine记事本" 30) || fail "the installed notepad shows no window"
}
stop_all() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
    pids=()
}

own=$home/.config/aquine/配置.ini
start_notepad
[[ -f $own ]] || fail "no settings copied to $own"
cmp -s "$own" "$prefix/配置.ini" || fail "the user's settings are not the shipped ones"
stop_all

# Later starts read the user's copy: a size set there is the window's size.
printf '[\xc5\xe4\xd6\xc3\xd0\xc5\xcf\xa2]\r\n\xc6\xf4\xb6\xaf\xb4\xb0\xbf\xda_\xbf\xed\xb6\xc8=500\r\n\xc6\xf4\xb6\xaf\xb4\xb0\xbf\xda_\xb8\xdf\xb6\xc8=300\r\n' >"$own"
start_notepad
size_is() { [[ $(xdotool getwindowgeometry "$id" | sed -n 's/.*Geometry: //p') == "500x300" ]]; }
poll 10 size_is || fail "the window is $(xdotool getwindowgeometry "$id" | sed -n 's/.*Geometry: //p'), not the user's 500x300"
stop_all

as_user "$prefix/imvara" &
pids+=($!)
poll 20 test -d "$home/.local/share/aquine" || fail "the input method made no folder for the user's words"
stop_all

# The command-line lookup reads the same user words as the input method.
printf '\r\nhang %s' "$(printf '我的行' | iconv -t GBK)" >"$home/.local/share/aquine/word.bin"
chown nobody: "$home/.local/share/aquine/word.bin"
words=$(setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$home" XDG_DATA_HOME= \
    "$prefix/imvara-lookup" reverse 我的行)
[[ $words == hang ]] || fail "imvara-lookup did not read the user's words: '$words'"

[[ $(cd "$prefix" && find . | sort) == "$listing_before" ]] || fail "something was written into the installed folder"
echo "installed copy keeps user files in the user's folders: 4 passed, 0 failed"
