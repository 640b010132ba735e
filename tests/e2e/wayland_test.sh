#!/usr/bin/env bash
# The real vexar on SDL's Wayland driver under weston (its X11 back end on
# Xvfb), with VEXAR_RENDERER at auto and at opengl: the intro on the
# compositor's screen, Enter starts a game, Alt+Enter gives a window and back,
# Escape quits with code 0. On a 1280x960 output at scale 2 and at scale 1 the
# start picture is the game's own, each of its pixels a 2x2 block; F12 saves
# it and a play frame as drawn, and a pictures folder it cannot write to costs
# one line. With
# two outputs the game opens on the one it was last on, and on the first when
# that one is gone.
# Usage: wayland_test.sh VEXAR BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/lib/prologue.sh"
command -v weston >/dev/null || { echo "weston is not installed" >&2; exit 1; }
pictures=$(dirname "$vexar")
shots="$build/shots/wayland"
mkdir -p "$shots"
runtime=$(mktemp -d)
chmod 700 "$runtime"
socket="vexar-$$"

WESTON_PID="" GAME_PID=""
cleanup() {
  stop_pids "$GAME_PID" "$WESTON_PID"
  stop_xvfb
  rm -rf "$runtime"
}
trap cleanup EXIT
start_xvfb 2600x1000x24
# start_weston ARGS...: a compositor of weston's ARGS on the socket.
start_weston() {
  stop_pids "$WESTON_PID"
  [ -z "$WESTON_PID" ] || wait "$WESTON_PID" 2>/dev/null || true
  rm -f "$runtime/$socket" "$runtime/$socket.lock"
  XDG_RUNTIME_DIR=$runtime weston --backend=x11-backend.so --socket="$socket" "$@" >"$shots/weston.log" 2>&1 &
  WESTON_PID=$!
  for _ in $(seq 100); do [ -S "$runtime/$socket" ] && break; sleep 0.1; done
  [ -S "$runtime/$socket" ] || { echo "FAIL: weston did not start: $(cat "$shots/weston.log")" >&2; exit 1; }
  wait_window Weston\ Compositor >/dev/null 2>&1 || true
  xdotool mousemove 100 100  # the keys go to the window under the pointer
}
start_weston --width=1024 --height=768

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
# shot NAME X Y black|lit|game: the compositor's screen, shot to NAME.png, is
# black (the play field) or not (the intro; weston's desktop beside a window)
# at X,Y; or the game's own (the play field, or the statistics screen's grey
# once an idle game has ended), not weston's desktop.
shot() {
  import -window root "$shots/$1.png"
  local pixel seen=lit
  pixel=$(convert "$shots/$1.png" -crop "1x1+$2+$3" txt:- | tail -1)
  echo "$pixel" | grep -q '#000000' && seen=black
  if [ "$4" = game ]; then
    echo "$pixel" | grep -qE '#000000|#B4B4B4' || fail "$1: not the game's at $2,$3: $pixel"
  else
    [ "$seen" = "$4" ] || fail "$1: not $4 at $2,$3: $pixel"
  fi
}
keys() { xdotool key --delay 200 "$@"; }
# game NAME [VAR=VALUE...]: the game on the compositor, its stderr in NAME.log.
game() {
  local name=$1
  shift
  ( unset DISPLAY
    cd "$pictures"
    exec env XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" SDL_VIDEODRIVER=wayland "$@" "$vexar" \
      2>"$shots/$name.log" ) &
  GAME_PID=$!
}
# quit NAME: Escape ends the game with code 0.
quit() {
  local rc=0
  keys Escape
  for _ in $(seq 100); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$GAME_PID" 2>/dev/null && { fail "$1: Escape did not end the game"; kill "$GAME_PID"; }
  wait "$GAME_PID" || rc=$?
  GAME_PID=""
  [ "$rc" -eq 0 ] || fail "$1: exit code $rc"
}

for renderer in auto opengl; do
  game "$renderer" VEXAR_RENDERER="$renderer" VEXAR_SHOW_RENDERER=1
  sleep 4
  shot "$renderer-intro" 512 384 lit
  keys Return; sleep 1
  shot "$renderer-game" 1000 700 black
  keys alt+Return; sleep 1.5
  shot "$renderer-window" 1000 700 lit
  keys alt+Return; sleep 1.5
  # An idle game ends in about 3 s: by now it may show its statistics.
  shot "$renderer-back" 1000 700 game
  quit "$renderer"
  grep -q '^vexar: showing frames through opengl' "$shots/$renderer.log" ||
    fail "$renderer: frames not through a renderer: $(cat "$shots/$renderer.log")"
done
echo "ok: under weston, auto and opengl show the game, Alt+Enter, Escape exits 0"

# shows OUTPUT PICTURE NAME: within 10 s weston's output OUTPUT (0, 1...) is
# PICTURE at twice its size, every pixel (so no colour but the game's, and
# each of its pixels a 2x2 block), saved as NAME.png.
convert "$pictures/start.bmp" -scale 200% "$shots/start-2x.png"
shows() {
  local differ= id
  id=$(xwininfo -name "Weston Compositor - screen$1" | awk '/Window id:/ { print $4 }')
  for _ in $(seq 20); do
    import -window "$id" "$shots/$3.png" 2>/dev/null || true
    differ=$(compare -metric AE "$shots/$3.png" "$2" null: 2>&1) && return 0
    sleep 0.5
  done
  fail "$3: output $1 is not $(basename "$2") ($differ pixels differ)"
  return 1
}
# 1280x960 pixels at scale 2 (a 640x480 desktop) and at scale 1: full screen,
# the picture is twice the game's. F12 saves the start picture and, at scale 2,
# a play frame as drawn; where
# VEXAR/ cannot be a folder (root writes into a read-only one) it says one line
# and the game plays on.
saved="$shots/pictures" blocked="$shots/blocked"
rm -rf "$saved" "$blocked"
mkdir -p "$blocked"
touch "$blocked/VEXAR"
for scale in 2 1; do
  start_weston --width=$((1280 / scale)) --height=$((960 / scale)) --scale=$scale
  folder=$saved
  [ "$scale" = 1 ] && folder=$blocked
  game "scale-$scale" XDG_PICTURES_DIR="$folder"
  if shows 0 "$shots/start-2x.png" "scale-$scale-start"; then
    colours=$(convert "$shots/scale-$scale-start.png" -format %k info:)
    echo "ok: scale $scale: the start picture pixel for pixel, $colours colours, the game's"
  fi
  keys F12
  sleep 1
  keys Return
  sleep 1
  shot "scale-$scale-play" 1200 900 black
  [ "$scale" = 2 ] && keys F12 && sleep 0.5
  quit "scale-$scale"
done
# Two PNGs: the start picture, equal to start.bmp, and a play frame with the
# HUD and the cannon where a game starts it, at 640x480 both.
start_png="" play_png=""
for png in "$saved"/VEXAR/*.png; do
  [ -f "$png" ] && [ "$(identify -format '%wx%h' "$png")" = 640x480 ] || continue
  if [ "$(compare -metric AE "$png" "$pictures/start.bmp" null: 2>&1)" = 0 ]; then start_png=$png
  else play_png=$png; fi
done
if [ "$(ls "$saved/VEXAR" | wc -l)" -eq 2 ] && [ -n "$start_png" ] && [ -n "$play_png" ] &&
   convert "$play_png" BMP3:"$shots/f12-play.bmp" &&
   "$XPROBE" --file "$shots/f12-play.bmp" $(screen play_field); then
  echo "ok: F12 saved $(basename "$start_png"), the start picture as drawn, and $(basename "$play_png"), a play frame"
else
  fail "F12: not the start picture and a play frame: $(ls -a "$saved/VEXAR" 2>&1)"
fi
# The game's own lines (libdecor has its own to say).
said() { grep '^vexar:' "$shots/$1.log" || true; }
[ -z "$(said scale-2)" ] || fail "scale 2 said: $(said scale-2)"
said=$(said scale-1)
[ "$(wc -l <<<"$said")" -eq 1 ] && grep -q "^vexar: cannot save a screenshot in $blocked/VEXAR (" <<<"$said" &&
  echo "ok: an unwritable pictures folder: $said" || fail "an unwritable pictures folder: $said"

# Two outputs side by side on the X screen. $VEXAR_DISPLAY=1 puts the game on
# the second; the next start goes there again by itself; with the second
# output gone it opens on the first, saying nothing.
two_outputs() {
  start_weston --output-count=2 --width=640 --height=480 --scale=2
  wait_window "Weston Compositor - screen1" >/dev/null
  xdotool windowmove "$(xwininfo -name "Weston Compositor - screen1" | awk '/Window id:/ { print $4 }')" 1300 0
}
two_outputs
game display-forced VEXAR_DISPLAY=1
shows 1 "$shots/start-2x.png" display-forced && echo "ok: VEXAR_DISPLAY=1: the second output"
quit display-forced
grep -qx display=1 "$XDG_CONFIG_HOME/vexar/window.conf" || fail "display 1 not remembered"
two_outputs
game display-again
shows 1 "$shots/start-2x.png" display-again && echo "ok: the next start: the second output again"
quit display-again
start_weston --width=640 --height=480 --scale=2
game display-gone
shows 0 "$shots/start-2x.png" display-gone && echo "ok: the second output gone: the first"
quit display-gone
[ -z "$(said display-gone)" ] || fail "a display gone: $(said display-gone)"
[ "$failures" -eq 0 ] || exit 1
echo "ok: under weston: sharp at scale 2, F12, the display last used"
