#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (unit, widget, system, server), then the unit
# tests again under AddressSanitizer and UndefinedBehaviorSanitizer. Exits non-zero on any failure.
# A second run only rebuilds what changed.
set -euo pipefail
cd "$(dirname "$0")"

./tools/install-deps.sh

jobs=$(nproc)
if [[ ! -f build/build.ninja ]]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

if [[ ! -f build-asan/build.ninja ]]; then
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DAQUINE_SANITIZE=ON \
          -DAQUINE_BUILD_GUI=OFF -DAQUINE_BUILD_BENCH=OFF
fi
cmake --build build-asan -j "$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
     ctest --output-on-failure -j "$jobs" -L unit)
