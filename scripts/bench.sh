#!/usr/bin/env bash
# Builds optimised and runs the benchmarks; each target is printed beside its yardstick.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"

build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DHL_WERROR=OFF -DHL_SANITIZE=OFF -DHL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2
for b in "$build"/bench/hl_bench_*; do
  "$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
done
