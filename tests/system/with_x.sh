#!/usr/bin/env bash
# Runs a command against its own Xvfb server: a real X server with a 24-bit 1024x768 screen.
# -displayfd lets Xvfb pick a free display, so system tests can run side by side. Unless the test
# names one in AQUINE_SERVER, the maker's server is one of our own on loopback that offers no update,
# so the notepad's start-up check asks nothing and its boxes never take the focus from a test.
set -uo pipefail
[[ $# -ge 1 ]] || { echo "usage: with_x.sh COMMAND [ARG...]" >&2; exit 2; }

dfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$dfile" 2>/dev/null &
xpid=$!
for _ in $(seq 100); do
    [[ -s $dfile ]] && break
    sleep 0.05
done
if [[ ! -s $dfile ]]; then
    echo "with_x.sh: Xvfb did not start" >&2
    kill "$xpid" 2>/dev/null
    exit 1
fi
export DISPLAY=":$(head -n1 "$dfile")"
rm -f "$dfile"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

spid=
sroot=
if [[ -z ${AQUINE_SERVER:-} && -x ${AQUINE_BIN:-}/aquine-server ]]; then
    sroot=$(mktemp -d)
    mkdir -p "$sroot/server"
    printf 'v1.0' >"$sroot/server/new_anotepad.txt"
    printf 'v1.0' >"$sroot/new_anotepad.txt"
    sfifo=$sroot/.address
    mkfifo "$sfifo"
    "$AQUINE_BIN/aquine-server" --root "$sroot" --port 0 >"$sfifo" 2>/dev/null &
    spid=$!
    read -r -t 10 AQUINE_SERVER <"$sfifo" || { echo "with_x.sh: aquine-server did not start" >&2; }
    export AQUINE_SERVER
fi

"$@"
rc=$?
[[ -n $spid ]] && kill "$spid" 2>/dev/null && wait "$spid" 2>/dev/null
[[ -n $sroot ]] && rm -rf "$sroot"
kill "$xpid" 2>/dev/null
wait "$xpid" 2>/dev/null
exit $rc
