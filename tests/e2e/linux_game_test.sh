#!/usr/bin/env bash
# The real vexar in a real X server, driven with xdotool and checked by pixels.
# Usage: linux_game_test.sh VEXAR BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/lib/prologue.sh"
source "$here/lib/scenario.sh"

start_xvfb
trap stop_xvfb EXIT
# The real SDL host, whatever the caller's environment says; no sound card
# here, so SDL's dummy driver opens a silent device.
export VEXAR_HOST=sdl SDL_AUDIODRIVER=dummy
run_scenario "$(dirname "$vexar")" "$build/shots/linux" "$vexar"
