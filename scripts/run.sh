#!/usr/bin/env bash
# Sets everything up, builds the editor and hlmap, makes a folder with the demo art and a small
# sample map (once), and starts the editor there.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_release harbourlight hlmap
hlmap="$release_build/src/hlmap"

demo="$root/build/demo"
if [ ! -f "$demo/Tiles.Data" ] || [ ! -f "$demo/Tiles.wil" ]; then
  mkdir -p "$demo"
  "$hlmap" demo-libs "$demo" >/dev/null
fi
if [ ! -f "$demo/sample.map" ]; then
  # A 64 x 48 map written byte by byte: the 52-byte header, then the cells column by column,
  # 12 bytes each; cell (x, y) starts at 52 + (x * 48 + y) * 12.
  map="$demo/sample.map"
  put() { printf "$2" | dd of="$map" bs=1 seek="$1" conv=notrunc status=none; }
  : >"$map"
  put 0 '\x40\x00\x30\x00\x0dQuiet Harbour'
  truncate -s $((52 + 64 * 48 * 12)) "$map"
  for x in $(seq 0 2 62); do
    for y in $(seq 0 2 46); do
      tile=$(( (x * 7 + y * 3) % 5 + 1 ))  # grass, full variants 0-4
      cell=$((52 + (x * 48 + y) * 12))
      put $cell "$(printf '\\x%02x\\x00' $tile)"
    done
  done
  put $((52 + (10 * 48 + 12) * 12 + 4)) '\x05\x00'          # a tree
  put $((52 + (20 * 48 + 14) * 12 + 4)) '\x0f\x00'
  put $((52 + (30 * 48 + 20) * 12 + 4)) '\x12\x00\x00\x00\x00\x00\x01'  # a house (Objects2)
  put $((52 + (12 * 48 + 8) * 12 + 11)) '\x02'             # a light
fi

echo "Starting the editor in $demo (demo art in both formats; File > Open(&O) sample.map)."
echo "To use your own game data instead, start $release_build/src/harbourlight in its folder."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display to show the editor on (set DISPLAY, or run under xvfb-run)" >&2
  exit 1
fi
cd "$demo"
exec "$release_build/src/harbourlight"
