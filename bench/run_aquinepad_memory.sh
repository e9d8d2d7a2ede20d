#!/usr/bin/env bash
# Peak memory of the real notepad on its own Xvfb: opened on a large GBK file, and then saved with
# Ctrl+S through the real save dialog, each against the file's size (GNU time's maximum resident size).
# Also the processor time the notepad spends per keystroke typed at the end of the file with xdotool.
# Usage: run_aquinepad_memory.sh BUILD_DIR GBK_FILE   (aquinepad_typing_bench with AQUINEPAD_BENCH_DIR
# leaves one: lines.txt)
set -euo pipefail
build=${1:?usage: run_aquinepad_memory.sh BUILD_DIR GBK_FILE}
file=${2:?usage: run_aquinepad_memory.sh BUILD_DIR GBK_FILE}
. "$(dirname "$0")/../tests/system/lib.sh"

work=$(mktemp -d)
dfile=$work/display
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$dfile" 2>/dev/null &
xpid=$!
pid=
hpid=
trap '[[ -n $pid ]] && kill $pid 2>/dev/null; [[ -n $hpid ]] && kill $hpid 2>/dev/null; kill $xpid 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 200); do [[ -s $dfile ]] && break; sleep 0.05; done
[[ -s $dfile ]] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$dfile")" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
# The maker's server, on loopback, offers no update, so the start-up check shows nothing.
mkdir -p "$work/www/server"
printf 'v1.0' >"$work/www/new_anotepad.txt"
printf 'v1.0' >"$work/www/server/new_anotepad.txt"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory "$work/www" "$port" >/dev/null 2>&1 &
hpid=$!
export AQUINE_SERVER=http://127.0.0.1:$port

size=$(stat -c %s "$file")
ratio() { awk -v kb="$1" -v size="$size" 'BEGIN { printf "%.2f", kb * 1024 / size }'; }

# Processor time of a process so far, in clock ticks.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# run MODE LABEL: starts the notepad on the file; with MODE save, saves it elsewhere, with MODE type,
# types at its end; then ends it.
run() {
    local report=$work/time.txt saved=$work/saved.txt
    rm -f "$saved"
    /usr/bin/time -v -o "$report" "$build/bin/aquinepad" "$file" &
    pid=$!
    local id
    id=$(wait_window "无标题 - Aquine记事本" 120) || fail "no notepad window"
    sleep 2 # the first paints and the idle after them
    if [[ $1 == type ]]; then
        local notepad keys=200 before after
        notepad=$(pgrep -P "$pid")
        xdotool windowfocus --sync "$id"
        xdotool key ctrl+End
        sleep 1
        before=$(ticks "$notepad")
        xdotool type --delay 15 "$(printf 'a%.0s' $(seq $keys))"
        # Until the notepad has caught up with the keys: a second without work.
        after=$(ticks "$notepad")
        while sleep 1; do
            local now
            now=$(ticks "$notepad")
            ((now - after <= 1)) && break
            after=$now
        done
        awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v n=$keys \
            'BEGIN { printf "typing at the end: %.1f ms of processor time per keystroke\n", t * 1000 / hz / n }'
    fi
    if [[ $1 == save ]]; then
        xdotool windowfocus --sync "$id"
        xdotool key ctrl+s
        local dialog
        dialog=$(wait_window "请输入欲保存到的文本文件名：" 60) || { import -window root /tmp/bigdoc/nodialog.png; fail "no save dialog"; }
        xdotool windowfocus --sync "$dialog"
        xdotool key ctrl+a
        xdotool type --delay 10 "$saved"
        xdotool key Return
        wait_window "$saved - Aquine记事本" 120 >/dev/null || fail "the save did not finish"
        cmp -s "$file" "$saved" || fail "the saved file differs from the opened one"
    fi
    # The notepad's child is GNU time's; ending it lets time report.
    kill -TERM $(pgrep -P "$pid") 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=
    local kb
    kb=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$report")
    echo "$2: peak $((kb / 1024)) MB = $(ratio "$kb") x the file ($((size / 1048576)) MB)"
}

run type "open"
run save "open and save"
