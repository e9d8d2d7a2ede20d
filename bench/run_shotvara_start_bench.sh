#!/usr/bin/env bash
# Runs the start-up benchmark on its own 1920 x 1080 Xvfb. Usage: run_shotvara_start_bench.sh BUILD_DIR [RUNS]
set -euo pipefail
build=${1:?usage: run_shotvara_start_bench.sh BUILD_DIR [RUNS]}
runs=${2:-9}

dfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$dfile" 2>/dev/null &
xpid=$!
trap 'kill $xpid 2>/dev/null; rm -f "$dfile"' EXIT
for _ in $(seq 200); do [[ -s $dfile ]] && break; sleep 0.05; done
[[ -s $dfile ]] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$dfile")" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
"$build/bench/shotvara_start_bench" "$build/bin/shotvara" "$runs"
