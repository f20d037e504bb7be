#!/usr/bin/env bash
# Configures and builds into build/ (Release with debug info).
#   scripts/build.sh program   the program and kessik-db only
#   scripts/build.sh           everything: the tests and benchmarks too
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-all}" = program ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESSIK_TESTS=OFF -DKESSIK_BENCH=OFF >/dev/null
  cmake --build build --parallel "$(nproc)" --target kessik kessik-db
else
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESSIK_TESTS=ON -DKESSIK_BENCH=ON >/dev/null
  cmake --build build --parallel "$(nproc)"
fi
