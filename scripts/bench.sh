#!/usr/bin/env bash
# Builds optimised and runs the benchmarks; each target is printed beside its yardstick.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_release
for b in "$release_build"/bench/hl_bench_*; do
  "$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
done
