#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them all (or those named). The
# windows' benchmarks (bench/ui) run offscreen.
#   scripts/bench.sh [BENCH_NAME...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh" build
cmake -S "$here" -B "$here/build-bench" -DCMAKE_BUILD_TYPE=Release -DQUORVEL_BUILD_BENCH=ON -DQUORVEL_BUILD_UI=ON >/dev/null
cmake --build "$here/build-bench" -j"$(nproc)" >/dev/null
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for f in "$here"/bench/*.cpp "$here"/bench/ui/*.cpp; do [ -e "$f" ] && names+=("$(basename "$f" .cpp)"); done
fi
for n in "${names[@]}"; do
  "$here/build-bench/bench/$n"
done
