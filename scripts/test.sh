#!/usr/bin/env bash
# Sets everything up, builds with AddressSanitizer, UndefinedBehaviorSanitizer and warnings as
# errors, and runs every test.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

build="$root/build/test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DHL_SANITIZE=ON -DHL_WERROR=ON >/dev/null
cmake --build "$build" -j2
ctest --test-dir "$build" -j2 --output-on-failure
