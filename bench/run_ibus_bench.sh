#!/usr/bin/env bash
# Key-to-commit time of our IBus engine against ibus-libpinyin and ibus-pinyin on one key stream, under one
# private ibus-daemon. Usage: bench/run_ibus_bench.sh [BUILD_DIR] [ibus_commit_bench.py options ...]
# Without an imvara.xml in the build tree only the two peers are measured.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
shift || true

needed=(dbus ibus ibus-libpinyin ibus-pinyin python3-gi gir1.2-ibus-1.0)
missing=()
for p in "${needed[@]}"; do
    [[ $(dpkg-query -W -f='${Status}' "$p" 2>/dev/null) == "install ok installed" ]] || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "run_ibus_bench: install first: apt-get install --no-install-recommends ${missing[*]}" >&2
    exit 1
fi

engines=libpinyin,pinyin
component=$(find "$build" -maxdepth 4 -name imvara.xml -printf '%h\n' -quit)
if [[ -n $component ]]; then
    engines=imvara,$engines
    # ibus-daemon 1.5.27 reads a second folder only with the system one listed first.
    export IBUS_COMPONENT_PATH=/usr/share/ibus/component:$component
else
    echo "run_ibus_bench: no imvara.xml under $build, measuring the peers only" >&2
fi
exec /usr/bin/python3 "$root/bench/ibus_commit_bench.py" --engines "$engines" "$@"
