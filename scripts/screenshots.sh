#!/usr/bin/env bash
# Takes the user guide's pictures of the editor (docs/*.png) with the demo world, on a virtual
# X display, so they look as they do on a desktop.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_release hlmap hlshots
world="$root/build/shots-world"
rm -rf "$world"
"$release_build/src/hlmap" demo-world "$world" >/dev/null
mkdir -p "$root/docs"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
# The world map's thumbnails of this throwaway world stay out of the user's cache.
cache="$(mktemp -d)"
trap 'rm -rf "$cache"' EXIT
export XDG_CACHE_HOME="$cache"
xvfb-run -a -s "-screen 0 1400x900x24" "$release_build/src/hlshots" "$world" "$root/docs"
