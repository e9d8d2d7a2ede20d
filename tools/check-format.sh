#!/usr/bin/env bash
# Fails when a C++ source file differs from what clang-format makes of it with the project's
# .clang-format, or has more than 500 lines (split it by what it does), naming each such file.
# `tools/check-format.sh --fix` formats them in place.
set -euo pipefail
cd "$(dirname "$0")/.."

format=$(command -v clang-format-14 || command -v clang-format || true)
if [[ -z $format ]]; then
    echo "check-format: clang-format is not installed (tools/install-deps.sh installs it)" >&2
    exit 1
fi

if [[ -d .git ]]; then
    mapfile -t files < <(git ls-files '*.cpp' '*.h')
else
    mapfile -t files < <(find . -path ./build -prune -o -path './build-*' -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
fi

if [[ ${1:-} == --fix ]]; then
    "$format" -i "${files[@]}"
    exit 0
fi

bad=0
long=0
for f in "${files[@]}"; do
    if ! "$format" --dry-run --Werror "$f" >/dev/null 2>&1; then
        echo "not formatted: $f"
        bad=$((bad + 1))
    fi
    if (($(wc -l <"$f") > 500)); then
        echo "over 500 lines: $f"
        long=$((long + 1))
    fi
done
echo "check-format: ${#files[@]} files, $bad not formatted, $long over 500 lines"
[[ $bad -eq 0 && $long -eq 0 ]]
