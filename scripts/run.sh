#!/usr/bin/env bash
# Sets everything up, builds the editor and hlmap, makes a folder with the demo world (once), and
# starts the editor there.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_release harbourlight hlmap
hlmap="$release_build/src/hlmap"

demo="$root/build/demo-world"
if [ ! -f "$demo/demo.map" ] || [ ! -f "$demo/world.mp" ]; then
  # The libraries in both formats, kel.set, Tile.atr, demo.map and the 6 x 6 segment project
  # world.mp, painted from the scripts in demo/.
  "$hlmap" demo-world "$demo" >/dev/null
fi

echo "Starting the editor in $demo (demo art in both formats; File > Open(&O) demo.map,"
echo "or File > New Segment, Open world.mp, Edit for the segment world)."
echo "To use your own game data instead, start $release_build/src/harbourlight in its folder."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display to show the editor on (set DISPLAY, or run under xvfb-run)" >&2
  exit 1
fi
cd "$demo"
exec "$release_build/src/harbourlight"
