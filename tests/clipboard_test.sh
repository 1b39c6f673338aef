#!/usr/bin/env bash
# A region copied in one editor pastes in another: two processes on a virtual X display, the
# first owning the clipboard, the second pasting the whole demo map into a blank one. The two
# maps must then be equal cell for cell.
set -euo pipefail
hlmap="$1"
peer="$2"
work="$(mktemp -d)"
server=""
cleanup() {
  touch "$work/done"
  [ -n "$server" ] && kill "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
"$hlmap" demo-world "$work/world" >/dev/null
"$hlmap" apply new:200x200 "$work/world/blank.map" --script /dev/null >/dev/null

# Our own display number, so that two runs at once do not meet.
display=""
for n in $(seq 90 140); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "no free X display"; exit 1; }
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
server=$!
for _ in $(seq 100); do
  [ -e "/tmp/.X11-unix/X${display#:}" ] && break
  sleep 0.05
done

export DISPLAY="$display" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work" XDG_CONFIG_HOME="$work/config"
export XDG_CACHE_HOME="$work/cache"
# The X platform's own libraries keep a few allocations until exit; only ours are checked.
printf 'leak:libdbus-1.so\nleak:libfontconfig.so\nleak:libxcb\nleak:libX11\n' >"$work/lsan.supp"
export LSAN_OPTIONS="suppressions=$work/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
cd "$work/world"
"$peer" copy "$work/world/demo.map" "$work/ready" "$work/done" &
owner=$!
for _ in $(seq 600); do
  [ -e "$work/ready" ] && break
  kill -0 "$owner" 2>/dev/null || { echo "the copying editor stopped"; exit 1; }
  sleep 0.05
done
[ -e "$work/ready" ] || { echo "the copying editor never copied"; exit 1; }
"$peer" paste "$work/world/blank.map" "$work/pasted.map"
touch "$work/done"
wait "$owner"
"$hlmap" diff "$work/world/demo.map" "$work/pasted.map"
