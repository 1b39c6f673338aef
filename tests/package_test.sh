#!/usr/bin/env bash
# Makes the Debian package of the build tree with cpack, unpacks it into a temporary root as
# dpkg would install it, and runs hlmap from there: both programs, the desktop file and icon,
# a manual page for hlmap and each of its commands, and the bash completion must be in it.
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

if ! (cd "$build" && cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  exit 1
fi
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "expected one package, found: ${debs[*]}"; exit 1; }
deb="${debs[0]}"
dpkg-deb --field "$deb" Package | grep -qx harbourlight
dpkg-deb --field "$deb" Depends | grep -q 'libqt6gui6'

root="$work/root"
dpkg-deb -x "$deb" "$root"
for f in usr/bin/harbourlight usr/bin/hlmap usr/bin/hlmap-draw \
         usr/share/applications/harbourlight.desktop \
         usr/share/icons/hicolor/48x48/apps/harbourlight.png \
         usr/share/icons/hicolor/256x256/apps/harbourlight.png \
         usr/share/man/man1/hlmap.1 usr/share/bash-completion/completions/hlmap; do
  [ -s "$root/$f" ] || { echo "the package lacks $f"; exit 1; }
done

# The icon is a PNG of the size its folder names.
icon="$root/usr/share/icons/hicolor/256x256/apps/harbourlight.png"
[ "$(od -An -c -j1 -N3 "$icon" | tr -d ' ')" = "PNG" ] || { echo "the icon is no PNG"; exit 1; }
[ "$(od -An -tu1 -j16 -N4 "$icon" | awk '{print $1*16777216+$2*65536+$3*256+$4}')" = 256 ] ||
  { echo "the 256x256 icon is not 256 pixels wide"; exit 1; }
grep -qx 'Categories=.*Graphics;.*Development;' "$root/usr/share/applications/harbourlight.desktop"

"$root/usr/bin/hlmap" --help >"$work/help.txt"
grep -q '^  hlmap diff ' "$work/help.txt"
# A command with pictures: the installed hlmap hands it to the hlmap-draw beside it.
"$root/usr/bin/hlmap" demo-libs "$work/art" >/dev/null
[ -s "$work/art/Tiles.Data" ]

# Every command the help lists has its page, and the page has the command's own help.
commands=$(sed -n 's/^  hlmap \([a-z-]*\).*/\1/p' "$work/help.txt")
[ -n "$commands" ]
for c in $commands; do
  page="$root/usr/share/man/man1/hlmap-$c.1"
  [ -s "$page" ] || { echo "no manual page for $c"; exit 1; }
  grep -q "^\.SH OPTIONS\|^\.SH DESCRIPTION" "$page"
done
grep -q 'Exits 0 when the maps are equal' "$root/usr/share/man/man1/hlmap-diff.1"

# The completion offers the commands, then a command's options and an option's choices.
completion="$root/usr/share/bash-completion/completions/hlmap"
complete_words() {
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _hlmap; echo "${COMPREPLY[*]}"' \
    _ "$completion" "$@"
}
[ "$(complete_words hlmap dif)" = "diff" ]
[ "$(complete_words hlmap check --js)" = "--json" ]
[ "$(complete_words hlmap render m.map o.png --format w)" = "wil" ]
echo "package test passed"
