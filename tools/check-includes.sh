#!/usr/bin/env bash
# Fails when an include points up the notepad's layers. The main window (aquinepad/window/) stands above
# every feature; the contract the features stand on (aquinepad/feature/) stands below them all, so only
# the program's entry point, the test fixture and the benchmarks may include the window, and the contract
# includes no feature's install function, window or dialog.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ -d .git ]]; then
    mapfile -t files < <(git ls-files 'aquinepad/*.cpp' 'aquinepad/*.h')
else
    mapfile -t files < <(find aquinepad \( -name '*.cpp' -o -name '*.h' \) -print)
fi

bad=0
for f in "${files[@]}"; do
    case $f in
    aquinepad/window/* | aquinepad/main.cpp | aquinepad/tests/*) ;;
    *)
        if grep -Hn '#include "aquinepad/window/' "$f"; then bad=$((bad + 1)); fi
        ;;
    esac
    case $f in
    aquinepad/feature/*)
        if grep -HnE '#include "aquinepad/[a-z_]+/[a-z_]+_(feature|dialog|window)\.h"|#include "aquinepad/feature_list\.h"' "$f"; then
            bad=$((bad + 1))
        fi
        ;;
    esac
done
echo "check-includes: ${#files[@]} files, $bad including a higher layer"
[[ $bad -eq 0 ]]
