#!/usr/bin/env bash
# The guide's pictures still come out: hlshots on the offscreen platform with a fresh demo
# world gives its PNG files, those of whole windows at the expected sizes.
set -euo pipefail
hlmap="$1"
hlshots="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$hlmap" demo-world "$work/world" >/dev/null
mkdir -p "$work/out"
XDG_RUNTIME_DIR="$work" XDG_CACHE_HOME="$work/cache" QT_QPA_PLATFORM=offscreen "$hlshots" "$work/world" "$work/out" >/dev/null
size() {  # width x height from the PNG header
  local w h
  w=$(od -An -tu1 -j16 -N4 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4}')
  h=$(od -An -tu1 -j20 -N4 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4}')
  echo "${w}x${h}"
}
status=0
for expected in editor.png:1200x760 overview.png:1200x760 object-editor.png:1200x760 \
                world.png:1200x760 feedback.png:1200x760; do
  file="$work/out/${expected%%:*}"
  want="${expected##*:}"
  if [ ! -s "$file" ]; then
    echo "missing or empty: ${expected%%:*}"; status=1; continue
  fi
  got=$(size "$file")
  if [ "$got" != "$want" ]; then
    echo "${expected%%:*}: $got, expected $want"; status=1
  fi
done
# The set browser and the segment window are docks: their size is the layout's.
for docked in set-browser.png segments.png; do
  [ -s "$work/out/$docked" ] || { echo "missing or empty: $docked"; status=1; }
done
exit $status
