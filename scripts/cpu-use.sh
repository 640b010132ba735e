#!/usr/bin/env bash
# Measures the processor time the game uses while a game is played in Xvfb:
# 10 s of the play scene, as CPU seconds over wall seconds (user, system, total),
# and the X server's (Xvfb's) over the same time.
# Usage: scripts/cpu-use.sh [--screen WIDTHxHEIGHT] [--wine [--renderer gdi|gl] [--pace]] [SECONDS]
#   (builds first if needed)
#   --screen: the X screen's size (default 640x480); the game runs full screen
#   on it, scaled by $VEXAR_SCALE and shown by $VEXAR_RENDERER as usual.
#   --wine: vexar.exe under Wine, in a fresh prefix set up as scripts/wine-e2e.sh
#   sets it up; every process of the prefix is counted (the game, wineserver,
#   Wine's services). --renderer: Wine's DirectDraw renderer (default gdi, as
#   the Wine scenario uses; gl is Wine's own default). --pace: also the frames
#   and game ticks a second in the play scene, from Wine's trace of every flip
#   and WM_TIMER (the trace costs processor time of its own, so the processor
#   figures of such a run are not the game's).
# VEXAR_BUILD_DIR: the build folder to use (default: build; a new one is a
# Release build, an existing one keeps its build type). VEXAR_WIN_BUILD_DIR:
# the cross-build folder for --wine (default: build-win).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
wine= renderer=gdi seconds=10 screen=640x480 pace=
usage="usage: scripts/cpu-use.sh [--screen WIDTHxHEIGHT] [--wine [--renderer gdi|gl] [--pace]] [SECONDS]"
while [ $# -gt 0 ]; do
  case $1 in
    --wine) wine=1 ;;
    --pace) pace=1 ;;
    --renderer) renderer=${2:?--renderer takes gdi or gl}; shift ;;
    --screen) screen=${2:?--screen takes WIDTHxHEIGHT}; shift ;;
    -*) echo "$usage" >&2; exit 2 ;;
    *) seconds=$1 ;;
  esac
  shift
done
[ -z "$pace" ] || [ -n "$wine" ] || { echo "cpu-use.sh: --pace goes with --wine" >&2; exit 2; }
case $renderer in gdi | gl) ;; *) echo "cpu-use.sh: the renderer is gdi or gl, not '$renderer'" >&2; exit 2 ;; esac
[[ "$screen" =~ ^[0-9]+x[0-9]+$ ]] || { echo "cpu-use.sh: --screen wants WIDTHxHEIGHT, not '$screen'" >&2; exit 2; }
build=${VEXAR_BUILD_DIR:-build}
winbuild=${VEXAR_WIN_BUILD_DIR:-build-win}
if [ -n "$wine" ]; then scripts/setup.sh wine wine64; else scripts/setup.sh; fi
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
if [ -n "$wine" ]; then
  cmake --build "$build" -j"$(nproc)" --target xprobe >/dev/null
  [ -f "$winbuild/CMakeCache.txt" ] ||
    cmake --no-warn-unused-cli -S . -B "$winbuild" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$winbuild" -j"$(nproc)" >/dev/null
  pictures=$(cd "$winbuild" && pwd)
else
  cmake --build "$build" -j"$(nproc)" --target vexar xprobe >/dev/null
  pictures=$(cd "$build" && pwd)
fi

XPROBE=${XPROBE:-"$(cd "$build" && pwd)/tests/xprobe"}
source tests/e2e/lib/x11.sh
source tests/e2e/lib/wine.sh
pid=
config=$(mktemp -d)
trap 'stop_pids "$pid"; stop_wine; stop_xvfb; rm -rf "$config"' EXIT
start_xvfb "${screen}x24"
if [ -n "$wine" ]; then
  start_wine "$renderer"
  if [ -n "$pace" ]; then
    (cd "$pictures" && WINEDEBUG=+timestamp,+message,+ddraw exec wine ./vexar.exe) >/dev/null 2>"$config/trace" &
  else
    (cd "$pictures" && exec wine ./vexar.exe) >/dev/null 2>&1 &
  fi
  what="vexar.exe under Wine ($renderer renderer)"
else
  # A fresh config folder: full screen, whatever the last game left.
  export SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME=$config
  XPROBE_PLACE=(--window VEXAR --scale "${VEXAR_SCALE:-aspect}")
  (cd "$pictures" && exec ./vexar) >/dev/null 2>&1 &
  what="vexar"
fi
pid=$!

# The game's processes: vexar, or every process of the Wine prefix.
game_pids() {
  if [ -z "$wine" ]; then
    echo "$pid"
    return
  fi
  local p
  for p in /proc/[0-9]*; do
    grep -qzx "WINEPREFIX=$WINEPREFIX" "$p/environ" 2>/dev/null && echo "${p#/proc/}"
  done
  return 0
}

# One "PID USER SYSTEM" line (clock ticks) for each of the game's processes.
cpu_ticks() {
  local p
  for p in $(game_pids); do
    # The fields after the command name, which may hold spaces: utime is the 12th.
    sed 's/.*) //' "/proc/$p/stat" 2>/dev/null | awk -v p="$p" '{ print p, $12, $13 }' || true
  done
}

# A game lasts under 3 s before its lives run out (less when discs of the last
# game are still falling), so the play scene is measured over several games,
# 1 s of each, from the moment its field shows.
ticks=$(getconf CLK_TCK)
user=0 system=0 wall=0 processes=0 server=0
while awk -v w="$wall" -v s="$seconds" 'BEGIN { exit !(w < s - 0.01) }'; do
  expect 60 "the start picture" "bmp:$pictures/start.bmp" >/dev/null
  xdotool key Return
  expect 10 "the play field" "px:150,450=ffffff" >/dev/null
  slice=$(awk -v w="$wall" -v s="$seconds" 'BEGIN { r = s - w; printf "%.2f", r < 1 ? r : 1 }')
  before=$(cpu_ticks)
  server0=$(awk '{print $14 + $15}' "/proc/$XVFB_PID/stat")
  start=$(date +%s.%N)
  sleep "$slice"
  after=$(cpu_ticks)
  server1=$(awk '{print $14 + $15}' "/proc/$XVFB_PID/stat")
  end=$(date +%s.%N)
  # Still the play field: the statistics screen has no black left.
  expect 1 "the play field still" "has:0,100,640,300=000000" >/dev/null
  # A process that began during the slice counts from zero.
  read -r du ds n < <(awk 'NR == FNR { u[$1] = $2; s[$1] = $3; next }
    { du += $2 - u[$1]; ds += $3 - s[$1]; n++ } END { print du + 0, ds + 0, n + 0 }' \
    <(echo "$before") <(echo "$after"))
  user=$((user + du))
  system=$((system + ds))
  server=$((server + server1 - server0))
  processes=$n
  wall=$(awk -v w="$wall" -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", w + b - a }')
  expect 30 "the statistics screen" "px:320,470=b4b4b4" "px:5,240=b4b4b4" >/dev/null
  xdotool key Return
done
count=""
[ "$processes" -gt 1 ] && count=" ($processes processes)"
awk -v what="$what" -v count="$count" -v u="$user" -v s="$system" -v t="$ticks" -v wall="$wall" -v screen="$screen" \
  'BEGIN { printf "%s in the play scene at %s for %.1f s of wall time: user %.1f %%, system %.1f %%, total %.1f %% of one core%s\n", what, screen, wall, 100*u/t/wall, 100*s/t/wall, 100*(u+s)/t/wall, count }'
awk -v x="$server" -v t="$ticks" -v wall="$wall" \
  'BEGIN { printf "the X server meanwhile: %.1f %% of one core\n", 100*x/t/wall }'
xdotool key Escape
[ -n "$pace" ] || exit 0
# Each game starts with an Enter on the start picture (every other Enter: the
# rest leave the statistics screen). From 0.3 s after it, for a second: the
# frames (flips), and the frames that take a tick, those with a WM_TIMER since
# the flip before.
sleep 1
awk '/WM_KEYDOWN dispatched  wp=0000000d/ { if (++enters % 2) { t = $1 + 0; from[++games] = t + 0.3 } }
     / WM_TIMER dispatched / { timer = 1 }
     /trace:ddraw:ddraw_surface[0-9]*_Flip / {
       t = $1 + 0
       for (g = 1; g <= games; g++)
         if (t >= from[g] && t < from[g] + 1) { frames++; if (timer) taken++ }
       timer = 0
     }
     END {
       if (!games) { print "cpu-use.sh: no game in Wine'"'"'s trace" > "/dev/stderr"; exit 1 }
       printf "pace under Wine, from its trace, over %d one-second spans of play: %.1f frames and %.1f game ticks a second\n", games, frames / games, taken / games
     }' "$config/trace"
