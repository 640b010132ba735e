#!/usr/bin/env bash
# Measures the processor time vexar uses while a game is played in Xvfb:
# 10 s of the play scene, as CPU seconds over wall seconds (user, system, total).
# Usage: scripts/cpu-use.sh [SECONDS]   (builds first if needed)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-10}
scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target vexar xprobe >/dev/null

XPROBE="$root/build/tests/xprobe"
source tests/e2e/lib/x11.sh
start_xvfb
trap 'kill "$pid" 2>/dev/null; stop_xvfb' EXIT
export SDL_AUDIODRIVER=dummy
(cd build && exec ./vexar) >/dev/null 2>&1 &
pid=$!
expect 60 "the start picture" "bmp:build/start.bmp" >/dev/null
xdotool key Return
expect 10 "the play field" "px:150,450=ffffff" >/dev/null

ticks=$(getconf CLK_TCK)
read -r user0 system0 < <(awk '{print $14, $15}' "/proc/$pid/stat")
start=$(date +%s.%N)
sleep "$seconds"
read -r user1 system1 < <(awk '{print $14, $15}' "/proc/$pid/stat")
end=$(date +%s.%N)
awk -v u="$((user1 - user0))" -v s="$((system1 - system0))" -v t="$ticks" -v w0="$start" -v w1="$end" \
  'BEGIN { wall = w1 - w0; printf "vexar in the play scene for %.1f s of wall time: user %.1f %%, system %.1f %%, total %.1f %% of one core\n", wall, 100*u/t/wall, 100*s/t/wall, 100*(u+s)/t/wall }'
xdotool key Escape
