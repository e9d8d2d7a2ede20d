#!/usr/bin/env bash
# Bursts of 300 keys (pinyin, choice keys, punctuation, digits) typed through the input method into an
# xterm, with and without busy loops on the cores: how many characters were lost, wrong or reordered.
# Usage: bench/imvara_burst.sh [BUILD_DIR] [RUNS:DELAY_MS:BUSY_LOOPS ...]
#   (default: build 20:3:2 10:0:0)
# IMVARA_KEY_QUARANTINE_MS=N runs the input method with another spare-keycode quarantine, to measure
# how long it must be: too short a one shows up as wrong characters under load.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
shift || true
conditions=("$@")
((${#conditions[@]})) || conditions=(20:3:2 10:0:0)
export AQUINE_BIN=$build/bin
export BURST_SEED
exec "$root/tests/system/with_x.sh" bash -c '
    set -euo pipefail
    root=$1; shift
    . "$root/tests/system/lib.sh"
    . "$root/imvara/tests/ime_lib.sh"
    . "$root/imvara/tests/burst_lib.sh"
    trap "stop_busy_loops; stop_all" EXIT
    start_xterm_target
    start_imvara
    echo "machine: $(nproc) cores, load average $(cut -d" " -f1-3 /proc/loadavg) at start"
    seed=${BURST_SEED:-1}
    for condition in "$@"; do
        IFS=: read -r runs delay loops <<<"$condition"
        busy_loops "$loops"
        total_lost=0 total_wrong=0 total_moved=0 bad=0 started=$SECONDS
        for run in $(seq "$runs"); do
            read -r _ lost _ wrong _ moved < <(burst "$seed" 300 "$delay")
            seed=$((seed + 1))
            ((lost + wrong + moved)) && { bad=$((bad + 1)); echo "  run $run: lost $lost wrong $wrong reordered $moved"; }
            total_lost=$((total_lost + lost)) total_wrong=$((total_wrong + wrong)) total_moved=$((total_moved + moved))
        done
        stop_busy_loops
        echo "$runs runs x 300 keys, --delay $delay ms, $loops busy loops: lost $total_lost, wrong $total_wrong, reordered $total_moved ($bad runs not exact; $((SECONDS - started)) s; load average $(cut -d" " -f1 /proc/loadavg))"
    done
' _ "$root" "${conditions[@]}"
