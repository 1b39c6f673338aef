# Sourced by the other scripts: the project root, the package setup, and the optimised build.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"

release_build="$root/build/release"

# Builds the given targets (all when none) optimised, without tests or sanitizers.
build_release() {
  cmake -S "$root" -B "$release_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DHL_WERROR=OFF -DHL_SANITIZE=OFF -DHL_BUILD_TESTS=OFF >/dev/null
  if [ $# -gt 0 ]; then
    cmake --build "$release_build" -j2 --target "$@"
  else
    cmake --build "$release_build" -j2
  fi
}
