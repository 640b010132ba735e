#!/usr/bin/env bash
# Takes the README's desktop screenshots into docs/screenshots/: the start
# picture full screen at 1920x1080 (aspect and integer) and 1280x1024, and
# in a 1001x667 window under openbox.
# Usage: scripts/desktop-shots.sh   (VEXAR_BUILD_DIR: the build folder, default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${VEXAR_BUILD_DIR:-build}" && pwd)
cmake --build "$build" -j2 --target vexar xprobe >/dev/null
XPROBE="$build/tests/xprobe"
source tests/e2e/lib/x11.sh
out=docs/screenshots
config=$(mktemp -d)
pid="" wm=""
finish() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ -n "$wm" ] && kill "$wm" 2>/dev/null
  pid="" wm=""
  stop_xvfb
}
trap 'finish; rm -rf "$config"' EXIT
export SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME=$config

# shot NAME SCREEN SCALE [openbox]: the start picture as the player sees it.
shot() {
  start_xvfb "$2x24"
  if [ "${4:-}" = openbox ]; then
    openbox >/dev/null 2>&1 &
    wm=$!
    for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
    printf 'fullscreen=0\nwidth=1001\nheight=667\n' >"$config/vexar/window.conf"
  fi
  (cd "$build" && VEXAR_SCALE=$3 exec ./vexar) >/dev/null 2>&1 &
  pid=$!
  XPROBE_PLACE=(--window VEXAR --scale "$3")
  expect 30 "$1" --save "$out/$1.ppm" "bmp:$build/start.bmp"
  to_png "$out/$1.ppm"
  finish
  rm -f "$config/vexar/window.conf"
}
mkdir -p "$out" "$config/vexar"
shot desktop-1920x1080-aspect 1920x1080 aspect
shot desktop-1920x1080-integer 1920x1080 integer
shot desktop-1280x1024 1280x1024 aspect
shot desktop-window 1920x1080 aspect openbox
