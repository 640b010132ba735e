#!/usr/bin/env bash
# The real vexar in a real X server, driven with xdotool and checked by pixels.
# Asked for SDL's Wayland driver with no compositor, and for an OpenGL renderer
# whose library is missing, it says so in one line each, runs through X11
# and shows its frames the next way.
# Usage: linux_game_test.sh VEXAR BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/lib/prologue.sh"
source "$here/lib/scenario.sh"

start_xvfb
trap stop_xvfb EXIT
# The real SDL host, whatever the caller's environment says; no sound card
# here, so SDL's dummy driver opens a silent device.
export VEXAR_HOST=sdl SDL_AUDIODRIVER=dummy
export SDL_VIDEODRIVER=wayland WAYLAND_DISPLAY="vexar-none-$$"
export VEXAR_RENDERER=opengl SDL_OPENGL_LIBRARY=/nonexistent/libGL.so.1
shots="$build/shots/linux"
run_scenario "$(dirname "$vexar")" "$shots" "$vexar"
said=$(cat "$shots/game.log")
[ "$(wc -l <"$shots/game.log")" -eq 2 ] &&
  sed -n 1p "$shots/game.log" | grep -qE '^vexar: Wayland is not available \(.+\); using X11$' &&
  sed -n 2p "$shots/game.log" | grep -qE '^vexar: showing frames through surface \(VEXAR_RENDERER=opengl: .*libGL\.so\.1.*\)$' ||
  { echo "FAIL: stderr is not one line on Wayland and one on the renderer: $said" >&2; exit 1; }
echo "ok: one line for Wayland, one for the renderer:"
echo "$said"
