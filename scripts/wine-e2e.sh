#!/usr/bin/env bash
# Sets up, cross-builds vexar.exe and plays the end-to-end scenario against it
# under Wine in Xvfb, with a fresh Wine prefix and the ALSA null device.
# Usage: scripts/wine-e2e.sh [FOLDER]   (a folder holding vexar.exe and its
# pictures, such as an unzipped package; without one, build-win, built first)
set -euo pipefail
game=""
[ $# -eq 0 ] || game=$(cd "$1" && pwd)
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/setup.sh wine wine64
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs" --target xprobe
if [ -z "$game" ]; then
  cmake --no-warn-unused-cli -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build-win -j"$jobs"
  game=$root/build-win
fi

XPROBE="$root/build/tests/xprobe"
source tests/e2e/lib/x11.sh
source tests/e2e/lib/wine.sh
source tests/e2e/lib/scenario.sh

trap 'stop_wine; stop_xvfb' EXIT
start_xvfb
start_wine

shots=$root/build/shots/wine
play() { run_scenario "$game" "$shots" wine "$game/vexar.exe"; }
# set -e holds inside the subshell only when it is not tested by an if.
set +e
(set -e; play)
code=$?
set -e
if [ $code -ne 0 ] && wine_flip_fault "$shots/game.log"; then
  # Wine's own fault (see wine_flip_fault), not the game's: one more game, in a
  # fresh prefix. A second failure of any kind fails the run.
  echo "note: Wine faulted at a flip inside its GDI renderer; playing once more" >&2
  cp "$shots/game.log" "$shots/game-wine-fault.log"
  stop_wine
  start_wine
  play
  exit 0
fi
exit $code
