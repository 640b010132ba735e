#!/usr/bin/env bash
# Measures the processor time vexar uses while a game is played in Xvfb:
# 10 s of the play scene, as CPU seconds over wall seconds (user, system, total),
# and the X server's (Xvfb's) over the same time.
# Usage: scripts/cpu-use.sh [--screen WIDTHxHEIGHT] [SECONDS]   (builds first if needed)
# The screen is 640x480 unless told; the game runs full screen on it, scaled
# by $VEXAR_SCALE and shown by $VEXAR_RENDERER as usual.
# VEXAR_BUILD_DIR: the build folder to use (default: build; a new one is a
# Release build, an existing one keeps its build type).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
screen=640x480
if [ "${1:-}" = "--screen" ]; then
  screen=$2
  shift 2
fi
[[ "$screen" =~ ^[0-9]+x[0-9]+$ ]] || { echo "cpu-use.sh: --screen wants WIDTHxHEIGHT, not '$screen'" >&2; exit 2; }
seconds=${1:-10}
build=${VEXAR_BUILD_DIR:-build}
scripts/setup.sh
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target vexar xprobe >/dev/null

XPROBE=${XPROBE:-"$(cd "$build" && pwd)/tests/xprobe"}
source tests/e2e/lib/x11.sh
start_xvfb "${screen}x24"
config=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; stop_xvfb; rm -rf "$config"' EXIT
# A fresh config folder: full screen, whatever the last game left.
export SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME=$config
XPROBE_PLACE=(--window VEXAR --scale "${VEXAR_SCALE:-aspect}")
(cd "$build" && exec ./vexar) >/dev/null 2>&1 &
pid=$!

# A game lasts under 3 s before its lives run out (less when discs of the last
# game are still falling), so the play scene is measured over several games,
# 1 s of each, from the moment its field shows.
ticks=$(getconf CLK_TCK)
user=0 system=0 wall=0 server=0
while awk -v w="$wall" -v s="$seconds" 'BEGIN { exit !(w < s - 0.01) }'; do
  expect 60 "the start picture" "bmp:$build/start.bmp" >/dev/null
  xdotool key Return
  expect 10 "the play field" "px:150,450=ffffff" >/dev/null
  slice=$(awk -v w="$wall" -v s="$seconds" 'BEGIN { r = s - w; printf "%.2f", r < 1 ? r : 1 }')
  read -r user0 system0 < <(awk '{print $14, $15}' "/proc/$pid/stat")
  server0=$(awk '{print $14 + $15}' "/proc/$XVFB_PID/stat")
  start=$(date +%s.%N)
  sleep "$slice"
  read -r user1 system1 < <(awk '{print $14, $15}' "/proc/$pid/stat")
  server1=$(awk '{print $14 + $15}' "/proc/$XVFB_PID/stat")
  end=$(date +%s.%N)
  # Still the play field: the statistics screen has no black left.
  expect 1 "the play field still" "has:0,100,640,300=000000" >/dev/null
  user=$((user + user1 - user0))
  system=$((system + system1 - system0))
  server=$((server + server1 - server0))
  wall=$(awk -v w="$wall" -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", w + b - a }')
  expect 30 "the statistics screen" "px:320,470=b4b4b4" "px:5,240=b4b4b4" >/dev/null
  xdotool key Return
done
awk -v u="$user" -v s="$system" -v t="$ticks" -v wall="$wall" -v screen="$screen" \
  'BEGIN { printf "vexar in the play scene at %s for %.1f s of wall time: user %.1f %%, system %.1f %%, total %.1f %% of one core\n", screen, wall, 100*u/t/wall, 100*s/t/wall, 100*(u+s)/t/wall }'
awk -v x="$server" -v t="$ticks" -v wall="$wall" \
  'BEGIN { printf "the X server meanwhile: %.1f %% of one core\n", 100*x/t/wall }'
xdotool key Escape
