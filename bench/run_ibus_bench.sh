#!/usr/bin/env bash
# Key-to-commit time of our IBus engine against ibus-libpinyin and ibus-pinyin on one key stream, under one
# private ibus-daemon and an Xvfb server of its own. Without an imvara.xml in the build tree only the two
# peers are measured. Usage: bench/run_ibus_bench.sh [BUILD_DIR] [ibus_commit_bench.py options ...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
shift || true

needed=(dbus ibus ibus-libpinyin ibus-pinyin python3-gi gir1.2-ibus-1.0 xvfb)
missing=()
for p in "${needed[@]}"; do
    [[ $(dpkg-query -W -f='${Status}' "$p" 2>/dev/null) == "install ok installed" ]] || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "run_ibus_bench: install first: apt-get install --no-install-recommends ${missing[*]}" >&2
    exit 1
fi

engines=libpinyin,pinyin
component=$build/ibus-component/imvara.xml
[[ -f $component ]] || component=$(find "$build" -maxdepth 4 -name imvara.xml -print -quit)
if [[ -n $component && -x $build/bin/imvara-ibus ]]; then
    engines=imvara,$engines
    # A copy of the engine: it keeps user words beside itself, and a run should neither find nor leave any.
    copy=$(mktemp -d)
    trap 'rm -rf "$copy"' EXIT
    mkdir "$copy/component"
    cp "$build/bin/imvara-ibus" "$copy/"
    sed "s|<exec>.*</exec>|<exec>'$copy/imvara-ibus' --ibus</exec>|" "$component" >"$copy/component/imvara.xml"
    # ibus-daemon 1.5.27 reads a second folder only with the system one listed first.
    export IBUS_COMPONENT_PATH=/usr/share/ibus/component:$copy/component
else
    echo "run_ibus_bench: no imvara-ibus with its imvara.xml under $build, measuring the peers only" >&2
fi
"$root/tests/system/with_x.sh" /usr/bin/python3 "$root/bench/ibus_commit_bench.py" --engines "$engines" "$@"
