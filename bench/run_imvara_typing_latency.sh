#!/usr/bin/env bash
# Typing latency with and without the input method, on one Xvfb server, as a ratio.
# Usage: bench/run_imvara_typing_latency.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
exec "$root/tests/system/with_x.sh" bash -c '
    set -euo pipefail
    bench=$1/bench/imvara_typing_latency
    direct=$("$bench" 500)
    echo "without imvara: $direct"
    "$1/bin/imvara" & pid=$!
    trap "kill $pid" EXIT
    for _ in $(seq 50); do xdotool search --name "^五笔输入法\$" >/dev/null 2>&1 && break; sleep 0.1; done
    sleep 0.5
    through=$("$bench" 500)
    echo "with imvara:    $through"
    med() { sed -E "s/.*median_us ([0-9]+).*/\1/" <<<"$1"; }
    p99() { sed -E "s/.*p99_us ([0-9]+).*/\1/" <<<"$1"; }
    awk -v a="$(med "$through")" -v b="$(med "$direct")" -v c="$(p99 "$through")" -v d="$(p99 "$direct")" \
        "BEGIN { printf \"ratio: median %.1fx, p99 %.1fx\n\", a / b, c / d }"
' _ "$build"
