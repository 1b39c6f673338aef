#!/usr/bin/env bash
# Sets everything up, builds with AddressSanitizer, UndefinedBehaviorSanitizer and warnings as
# errors, and runs every test.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"

build="$root/build/test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DHL_SANITIZE=ON -DHL_WERROR=ON >/dev/null
cmake --build "$build" -j2
ctest --test-dir "$build" -j2 --output-on-failure
