#!/usr/bin/env bash
# Sets everything up, builds hlmap, makes a small map file and an image library and shows
# hlmap at work on them.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_release hlmap
hlmap="$release_build/src/hlmap"

work="$root/build/sample"
mkdir -p "$work"
map="$work/sample.map"

# A 64 x 48 map in the old layout, written byte by byte: the 52-byte header, then the cells
# column by column, 12 bytes each. Cell (x, y) starts at 52 + (x * 48 + y) * 12.
put() { printf "$2" | dd of="$map" bs=1 seek="$1" conv=notrunc status=none; }
: >"$map"
put 0 '\x40\x00\x30\x00\x0dQuiet Harbour'
truncate -s $((52 + 64 * 48 * 12)) "$map"
put $((52 + (0 * 48 + 0) * 12)) '\x01\x80\x05\x00\x23\x81\x00\x00\x00\x00\x07\x02'
put $((52 + (1 * 48 + 0) * 12)) '\x01\x00\x05\x00\x10\x00\x83\x01\x00\x00\x03\x00'
put $((52 + (63 * 48 + 47) * 12)) '\x02\x00\x00\x00\x05\x00\x00\x00\x00\x00\x07\x04'

echo "== hlmap info $map"
"$hlmap" info "$map"
echo "== hlmap save-as (library 7 moves to library 6)"
"$hlmap" save-as "$map" "$work/saved.map" --format data
"$hlmap" info "$work/saved.map"
echo "== hlmap convert-old (objects to library 0, FrontMark cleared)"
cp "$map" "$work/old.map"
"$hlmap" convert-old --format wil "$work/old.map"
"$hlmap" info "$work/old.map"

# A 48 x 32 picture as a plain-text PPM, packed into an image library of each format.
awk 'BEGIN { print "P3 48 32 255";
             for (y = 0; y < 32; y++) for (x = 0; x < 48; x++)
               print int(x * 255 / 47), int(y * 255 / 31), ((int(x / 6) + int(y / 6)) % 2) * 200 }' \
  >"$work/tile.ppm"
echo "== hlmap lib-pack / lib-info / lib-export"
"$hlmap" lib-pack "$work/Tiles.Data" --data --method 3 "$work/tile.ppm" "$work/tile.ppm"
"$hlmap" lib-info "$work/Tiles.Data"
"$hlmap" lib-pack "$work/Tiles.wil" --wil --depth 8 "$work/tile.ppm"
"$hlmap" lib-info "$work/Tiles.wil"
"$hlmap" lib-export "$work/Tiles.Data" 0 "$work/tile0.png"
echo "exported image 0 to $work/tile0.png"

echo "== hlmap demo-libs / render / export-bmp"
"$hlmap" demo-libs "$work/demo"
"$hlmap" render "$map" "$work/sample.png" --libs "$work/demo" --zoom 1 --size 800x600
"$hlmap" export-bmp "$map" "$work/sample.bmp" --libs "$work/demo"
echo "rendered the sample map with the demo art to $work/sample.png and $work/sample.bmp"
echo
echo "hlmap is at $hlmap; 'hlmap --help' lists its commands."
