#!/usr/bin/env bash
# Builds and runs the database benchmark: unpacking and packing 20,000
# records, by the library and by kessik-db, against tar -x and cat in the same
# run. Usage: bench/run_database_bench.sh [BUILD_FOLDER]  (default build-bench)
# BENCH_DIR chooses the disk the files go to (default: the temporary folder).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESSIK_GUI=OFF -DKESSIK_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target bench_database kessik-db
"$build/bench/bench_database" "$build/tools/kessik-db"
