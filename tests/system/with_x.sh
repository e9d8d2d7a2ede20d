#!/usr/bin/env bash
# Runs a command against its own Xvfb server: a real X server with a 24-bit 1024x768 screen.
# -displayfd lets Xvfb pick a free display, so system tests can run side by side.
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

"$@"
rc=$?
kill "$xpid" 2>/dev/null
wait "$xpid" 2>/dev/null
exit $rc
