#!/usr/bin/env bash
# The real vexar on SDL's Wayland driver under weston (its X11 back end on
# Xvfb), with VEXAR_RENDERER at auto and at opengl: the intro on the
# compositor's screen, Enter starts a game, Alt+Enter gives a window and back,
# Escape quits with code 0.
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
start_xvfb 1280x800x24
XDG_RUNTIME_DIR=$runtime weston --backend=x11-backend.so --socket="$socket" --width=1024 --height=768 \
  >"$shots/weston.log" 2>&1 &
WESTON_PID=$!
for _ in $(seq 100); do [ -S "$runtime/$socket" ] && break; sleep 0.1; done
[ -S "$runtime/$socket" ] || { echo "FAIL: weston did not start: $(cat "$shots/weston.log")" >&2; exit 1; }
wait_window Weston\ Compositor >/dev/null 2>&1 || true

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

for renderer in auto opengl; do
  ( unset DISPLAY
    cd "$pictures"
    exec env XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" SDL_VIDEODRIVER=wayland \
      VEXAR_RENDERER="$renderer" VEXAR_SHOW_RENDERER=1 "$vexar" 2>"$shots/$renderer.log" ) &
  GAME_PID=$!
  sleep 4
  shot "$renderer-intro" 512 384 lit
  keys Return; sleep 1
  shot "$renderer-game" 1000 700 black
  keys alt+Return; sleep 1.5
  shot "$renderer-window" 1000 700 lit
  keys alt+Return; sleep 1.5
  # An idle game ends in about 3 s: by now it may show its statistics.
  shot "$renderer-back" 1000 700 game
  keys Escape
  rc=0
  for _ in $(seq 100); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$GAME_PID" 2>/dev/null && fail "$renderer: Escape did not end the game"
  wait "$GAME_PID" || rc=$?
  GAME_PID=""
  [ "$rc" -eq 0 ] || fail "$renderer: exit code $rc"
  grep -q '^vexar: showing frames through opengl' "$shots/$renderer.log" ||
    fail "$renderer: frames not through a renderer: $(cat "$shots/$renderer.log")"
done
[ "$failures" -eq 0 ] || exit 1
echo "ok: under weston, auto and opengl show the game, Alt+Enter, Escape exits 0"
