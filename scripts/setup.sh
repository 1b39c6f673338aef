#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Harbourlight need: git for
# the diff driver's test, dpkg-dev for cpack's Debian package, and tiled for its tmxrasterizer,
# which the TMX export is checked against.
# Safe to run again: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libdeflate-dev liblhasa-dev
  qt6-base-dev
  clang libclang-rt-14-dev
  fonts-dejavu-core
  xvfb xauth
  git dpkg-dev
  tiled
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
