#!/usr/bin/env bash
# The real vexar on a 1920x1080 desktop with a window manager (openbox) and
# another program's window: full screen and letterboxed; Alt+Enter gives a
# window and back; the window carries the game's icon; the keypad's Enter and arrows work; 20 Alt+Tab switches away and back in the play scene, each
# time the picture and the arrow keys back and nothing drawn while away; what
# the window manager does to the window (maximise, move, full screen and
# back) keeps the whole picture scaled in it; its close key quits with code 0.
# Usage: window_manager_test.sh VEXAR BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/lib/prologue.sh"
pictures=$(dirname "$vexar")
shots="$build/shots/wm"
mkdir -p "$shots"
rm -f "$shots/trace"

GAME_PID="" OTHER_PID="" WM_PID=""
cleanup() {
  stop_pids "$GAME_PID" "$OTHER_PID" "$WM_PID"
  stop_xvfb
}
trap cleanup EXIT
start_xvfb 1920x1080x24
# The other program's window comes first, and openbox takes it over as it
# starts: a window mapped while openbox is still starting up may be left
# unmanaged and unmapped. Once openbox manages it, it manages new windows too,
# and the game's, the newest, takes the focus.
xmessage -geometry 500x300+60+60 "another program" 2>/dev/null &
OTHER_PID=$!
wait_window xmessage
openbox --config-file "$here/lib/openbox-rc.xml" >"$shots/openbox.log" 2>&1 &
WM_PID=$!
managed() { xprop -name xmessage WM_STATE 2>/dev/null | grep -q Normal; }
for _ in $(seq 100); do managed && break; sleep 0.1; done
managed || { echo "FAIL: openbox does not manage the windows: $(cat "$shots/openbox.log")" >&2; exit 1; }
export VEXAR_HOST=sdl SDL_AUDIODRIVER=dummy
(cd "$pictures" && VEXAR_TRACE="$shots/trace" exec "$vexar") >"$shots/game.log" 2>&1 &
GAME_PID=$!

full=(--picture 240,0,1440,1080)  # 640x480 at 2.25 times, centred
XPROBE_PLACE=("${full[@]}")
expect 60 "the start picture, full screen" "bmp:$pictures/start.bmp"
expect 5 "black bars beside it" --save "$shots/fullscreen.ppm" --picture 0,0,640,480 \
  "black:0,0,240,1080" "black:1680,0,240,1080"
active() { [ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = VEXAR ]; }

# geometry: the game window's client size as WIDTHxHEIGHT.
geometry() { xwininfo -name VEXAR | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }
windowed() { [ "$(geometry)" != "1920x1080" ]; }
until_true() { for _ in $(seq 100); do "$@" && return 0; sleep 0.1; done; echo "FAIL: $*" >&2; return 1; }
until_true active
icon_is VEXAR "$build/icons/vexar-64.png"

xdotool key alt+Return
until_true windowed
XPROBE_PLACE=(--window VEXAR)
expect 5 "Alt+Enter gives a window of $(geometry) with the whole picture" "bmp:$pictures/start.bmp"
xdotool key alt+Return
until_true eval '! windowed'
XPROBE_PLACE=("${full[@]}")
expect 5 "Alt+Enter again: full screen, and no game started" "bmp:$pictures/start.bmp"

xdotool key KP_Enter
# The HUD's blue lines; the cannon is anywhere.
mapfile -t play < <(screen hud)
expect 10 "the keypad's Enter starts a game" "${play[@]}"

activations() { grep -c "^WM_ACTIVATEAPP($1)" "$shots/trace" || true; }
wait_activation() {
  for _ in $(seq 50); do [ "$(activations "$1")" -ge "$2" ] && return 0; sleep 0.1; done
  echo "FAIL: no WM_ACTIVATEAPP($1) number $2" >&2
  return 1
}
# A new game whenever the last one has ended.
ensure_play() {
  "$XPROBE" 0 "${full[@]}" $(screen statistics_grey) 2>/dev/null || return 0
  xdotool key Return
  expect 20 "the start picture again" "bmp:$pictures/start.bmp"
  xdotool key Return
  expect 10 "a new game" --save "$shots/new-game.ppm" "${play[@]}"
  hold Left $at_left
}
# hold KEY CONDITION...: holds an arrow until the cannon is where it should be.
hold() {
  local key=$1
  shift
  xdotool keydown "$key"
  local code=0
  "$XPROBE" 10 "${full[@]}" "$@" 2>/dev/null || code=$?
  xdotool keyup "$key"
  return $code
}
at_left=$(screen cannon_at_0)
hold KP_Left $at_left && echo "ok: the keypad's 4 (Num Lock off) moves the cannon to the left edge"

game_over() { "$XPROBE" 0 "${full[@]}" $(screen statistics_grey) 2>/dev/null; }
# switch N: away to the other program and back, then both arrows; status 2
# when the game ended meanwhile (a game lasts a few seconds), so it is tried again.
switch() {
  local lost=$(( $(activations 0) + 1 )) gained=$(( $(activations 1) + 1 ))
  xdotool key alt+Tab
  wait_activation 0 "$lost"
  expect 5 "switch $1: the other program in front" --picture 0,0,640,480 "px:300,200=ffffff"
  xdotool key alt+Tab
  wait_activation 1 "$gained"
  if ! "$XPROBE" 5 "${full[@]}" --save "$shots/switch.ppm" "${play[@]}" "notblack:0,70,640,340"; then
    game_over && return 2
    echo "FAIL: switch $1: the play field back" >&2
    return 1
  fi
  echo "ok: switch $1: the play field back"
  hold Right "black:0,462,40,16" && hold Left $at_left && { echo "ok: switch $1: the arrows move the cannon"; return 0; }
  game_over && return 2
  echo "FAIL: switch $1: the arrows" >&2
  return 1
}
done_switches=0
for attempt in $(seq 40); do
  ensure_play
  code=0
  switch $((done_switches + 1)) || code=$?
  [ $code -eq 1 ] && exit 1
  [ $code -eq 0 ] && done_switches=$((done_switches + 1))
  [ $done_switches -eq 20 ] && break
done
[ $done_switches -eq 20 ] || { echo "FAIL: only $done_switches switches in play" >&2; exit 1; }
CHECKS_PASSED=$((CHECKS_PASSED + 2 * done_switches))
drawn_away=$(awk '/^WM_ACTIVATEAPP\(0\)/ { away = 1 } /^WM_ACTIVATEAPP\(1\)/ { away = 0 }
                  away && /^(Blt|BltFast|Flip|TextOutA)\(/ { n++ } END { print n + 0 }' "$shots/trace")
[ "$drawn_away" -eq 0 ] || { echo "FAIL: $drawn_away drawing calls while away" >&2; exit 1; }
echo "ok: nothing drawn while away in $(activations 0) switches"

# What the window manager does to a window, on the start picture: it stays
# until Enter, while a game ends by itself within seconds.
expect 60 "the game ends" $(screen statistics_grey)
xdotool key Return
expect 20 "the start picture again" "bmp:$pictures/start.bmp"
start=("bmp:$pictures/start.bmp")
xdotool key F11
until_true windowed
XPROBE_PLACE=(--window VEXAR)
expect 5 "F11 gives a window of $(geometry)" "${start[@]}"
xdotool key super+m
until_true eval '[ "$(geometry | cut -dx -f1)" -ge 1900 ]'
expect 5 "maximised to $(geometry): the whole picture in it" --save "$shots/maximised.ppm" "${start[@]}"
xdotool key super+m
xdotool search --name '^VEXAR$' windowmove 900 500 windowsize 837 411
until_true eval '[ "$(geometry)" = 837x411 ]'
expect 5 "moved and resized to 837x411: the whole picture in it" --save "$shots/odd-window.ppm" "${start[@]}"
xdotool key super+f
until_true eval '! windowed'
expect 5 "the window manager's full screen: scaled to the screen" "${start[@]}"
xdotool key super+f
until_true windowed
expect 5 "out of full screen again: the whole picture in $(geometry)" "${start[@]}"

xdotool key alt+F4
for _ in $(seq 100); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
code=0
wait "$GAME_PID" || code=$?
GAME_PID=""
[ "$code" -eq 0 ] || { echo "FAIL: exit code $code after the window manager's close" >&2; exit 1; }
grep -q '^fullscreen=0$' "$XDG_CONFIG_HOME/vexar/window.conf" ||
  { echo "FAIL: the window was not remembered: $(cat "$XDG_CONFIG_HOME/vexar/window.conf")" >&2; exit 1; }
for f in "$shots"/*.ppm; do to_png "$f"; done
echo "ok: closed by the window manager with exit code 0, the window remembered"
echo "window manager: $CHECKS_PASSED passed, $CHECKS_FAILED failed"
