#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the Windows build of
# the library under Wine (KESSIK_SKIP_WINDOWS=1 skips it), the libFuzzer
# targets built with clang in build-fuzz, each run briefly on its seeds
# (KESSIK_FUZZ_SECONDS, 10 by default; KESSIK_SKIP_FUZZ=1 skips them), and
# last the native tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
scripts/build.sh

if [ "${KESSIK_SKIP_WINDOWS:-0}" != 1 ]; then
  scripts/test-windows.sh
fi

if [ "${KESSIK_SKIP_FUZZ:-0}" != 1 ]; then
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
        -DKESSIK_FUZZ=ON -DKESSIK_GUI=OFF -DKESSIK_TESTS=OFF -DKESSIK_BENCH=OFF \
        -DKESSIK_FUZZ_SECONDS="${KESSIK_FUZZ_SECONDS:-10}" >/dev/null
  cmake --build build-fuzz --parallel "$(nproc)"
  (cd build-fuzz && ctest --output-on-failure --parallel "$(nproc)" --timeout 300)
fi

cd build
ctest --output-on-failure --parallel "$(nproc)" --timeout 300
