#!/usr/bin/env bash
# The real vexar in Xvfb loses the focus to another X client (an xmessage
# window over the whole screen) and gets it back, on the start picture, twice
# during play and on the statistics screen. Each time: no frame is drawn while
# away, and once back the whole picture is there again and a held arrow moves
# the cannon.
# Usage: focus_switch_test.sh VEXAR BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/lib/prologue.sh"
pictures=$(dirname "$vexar")
shots="$build/shots/focus"
mkdir -p "$shots"
rm -f "$shots/trace"

GAME_PID=""
OTHER_PID=""
cleanup() {
  stop_pids "$GAME_PID" "$OTHER_PID"
  stop_xvfb
}
start_xvfb
trap cleanup EXIT
export SDL_AUDIODRIVER=dummy
(cd "$pictures" && VEXAR_TRACE="$shots/trace" exec "$vexar") >"$shots/game.log" 2>&1 &
GAME_PID=$!
expect 60 "the start picture" "bmp:$pictures/start.bmp"

xmessage -geometry 640x480+0+0 "another program" 2>/dev/null &
OTHER_PID=$!
game="" other=""
for _ in $(seq 50); do
  game=$(xdotool search --name '^VEXAR$' 2>/dev/null | head -n 1 || true)
  other=$(xdotool search --class xmessage 2>/dev/null | head -n 1 || true)
  [ -n "$game" ] && [ -n "$other" ] && break
  sleep 0.1
done
[ -n "$game" ] && [ -n "$other" ] || { echo "FAIL: windows not found (game '$game', other '$other')" >&2; exit 1; }

# Waits until the game has seen COUNT activation changes to STATE (0 or 1).
activations() { grep -c "^WM_ACTIVATEAPP($1)" "$shots/trace" || true; }
wait_activation() {
  local state=$1 count=$2
  for _ in $(seq 50); do
    [ "$(activations "$state")" -ge "$count" ] && return 0
    sleep 0.1
  done
  echo "FAIL: the game did not see WM_ACTIVATEAPP($state) number $count" >&2
  return 1
}

switches=0
# switch_away_and_back WHERE [KEY]: gives the focus to the other window for a
# while, then back to the game; KEY is pressed while away and kept held.
switch_away_and_back() {
  switches=$((switches + 1))
  local lost=$(( $(activations 0) + 1 )) gained=$(( $(activations 1) + 1 ))
  xdotool windowraise "$other" windowfocus --sync "$other"
  wait_activation 0 "$lost"
  # xmessage is white; on row 470 the game never is.
  expect 5 "another program in front ($1)" "px:320,470=ffffff" "px:635,470=ffffff" "px:320,240=ffffff"
  sleep 0.3
  [ -z "${2:-}" ] || xdotool keydown "$2"
  sleep 0.3
  xdotool windowraise "$game" windowfocus --sync "$game"
  wait_activation 1 "$gained"
}

switch_away_and_back "start picture"
expect 5 "the start picture is whole again" "bmp:$pictures/start.bmp"
xdotool key Return
expect 10 "the play field" $(screen hud cannon_at_100)

switch_away_and_back "play"
expect 5 "the play field is whole again" $(screen hud cannon_at_100) "notblack:0,70,640,340"
xdotool keydown Right
expect 5 "holding right moves the cannon" "black:95,462,20,16"
xdotool keyup Right

# This time the arrow goes down while the other program has the focus and
# is still held when the game gets it back.
switch_away_and_back "play again" Left
expect 5 "the play field is whole once more" "has:10,10,120,16=0000ff" "notblack:0,70,640,340"
expect 5 "the left arrow held since before the return moves the cannon to the left edge" \
  $(screen cannon_at_0)
xdotool keyup Left

expect 90 "the statistics screen" $(screen statistics)
switch_away_and_back "statistics"
expect 5 "the statistics screen is whole again" --save "$shots/stats.ppm" $(screen statistics)
to_png "$shots/stats.ppm"

xdotool key Escape
for _ in $(seq 100); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
code=0
wait "$GAME_PID" || code=$?
GAME_PID=""
[ "$code" -eq 0 ] || { echo "FAIL: exit code $code after Escape" >&2; exit 1; }

# Nothing was cleared, drawn or flipped between losing the focus and getting it back.
drawn_away=$(awk '/^WM_ACTIVATEAPP\(0\)/ { away = 1 } /^WM_ACTIVATEAPP\(1\)/ { away = 0 }
                  away && /^(Blt|BltFast|Flip|TextOutA)\(/ { n++ } END { print n + 0 }' "$shots/trace")
[ "$drawn_away" -eq 0 ] || { echo "FAIL: $drawn_away drawing calls while away" >&2; exit 1; }
echo "ok: $switches switches away and back, nothing drawn while away, exit code 0"
