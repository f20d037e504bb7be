#!/usr/bin/env bash
# Builds and runs the database benchmarks: unpacking and packing 20,000
# records by the library and by kessik-db against tar -x and cat, then every
# row of kessik-db against the file system's floor (bench_floor: pack, unpack,
# import and export of 100,000 records, peak memory) in the same run.
# Usage: bench/run_database_bench.sh [BUILD_FOLDER] [--runs N]  (default build-bench)
# BENCH_DIR chooses the disk the files go to (default: the temporary folder).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-bench
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then build=$1; shift; fi
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESSIK_GUI=OFF -DKESSIK_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target bench_database bench_floor kessik-db
"$build/bench/bench_database" "$build/tools/kessik-db"
"$build/bench/bench_floor" "$build/tools/kessik-db" "$@"
