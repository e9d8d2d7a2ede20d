#!/usr/bin/env bash
# Installs what is missing, builds the suite, starts the maker's server on loopback and then the
# notepad. Arguments go to the notepad (a file to open).
set -euo pipefail
cd "$(dirname "$0")"

./tools/install-deps.sh
if [[ ! -f build/build.ninja ]]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j "$(nproc)"

bin=$PWD/build/bin
if [[ -z ${AQUINE_SERVER:-} ]]; then
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    "$bin/aquine-server" --root "$bin/server" --port 0 >"$fifo" &
    server=$!
    read -r AQUINE_SERVER <"$fifo"
    rm -f "$fifo"
    export AQUINE_SERVER
    trap 'kill $server 2>/dev/null || true' EXIT
    trap 'exit 130' INT TERM HUP # so that the EXIT trap stops the server on these too
fi

# Chromium's sandbox refuses to run as root; the notepad's web views need it off there.
[[ $(id -u) -eq 0 ]] && export QTWEBENGINE_DISABLE_SANDBOX=1
"$bin/aquinepad" "$@"
