#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer,
# makes their seed corpora with the project's writers and runs each for a fixed time
# (FUZZ_SECONDS, default 20). Any crash, leak, hang or out-of-memory fails the run.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
seconds="${FUZZ_SECONDS:-20}"

build="$root/build/fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DHL_FUZZ=ON -DHL_BUILD_TESTS=OFF -DHL_BUILD_BENCH=OFF -DHL_WERROR=OFF >/dev/null
cmake --build "$build" -j2

corpus="$build/corpus"
rm -rf "$corpus"
"$build/fuzz/hl_fuzz_seeds" "$corpus" "$root/tests/fixtures/lh5" "$root/demo"

run() {
  local target=$1 seeds=$2
  echo "fuzz: $target for ${seconds}s"
  mkdir -p "$build/artifacts/$target"
  "$build/fuzz/$target" "$corpus/$seeds" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -max_len=65536 -print_final_stats=0 \
    -artifact_prefix="$build/artifacts/$target/" 2>"$build/$target.log" ||
    { tail -n 60 "$build/$target.log"; echo "fuzz: $target failed"; return 1; }
  grep -E '^Done|#[0-9]+.*DONE' "$build/$target.log" | tail -n 1 || true
}

run hl_fuzz_wil wil
for m in 0 1 2 3 4; do run "hl_fuzz_data$m" "data$m"; done
run hl_fuzz_map map
run hl_fuzz_text text
run hl_fuzz_segment segment
run hl_fuzz_script script
run hl_fuzz_render data3
run hl_fuzz_recovery recovery
run hl_fuzz_tmx tmx
run hl_fuzz_thumbs thumbs
echo "fuzz: all targets ran ${seconds}s without a finding"
