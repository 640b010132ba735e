# The end-to-end scenario: a whole game played from outside, as a player would,
# checked on the screen's pixels. Colours are the screen's RRGGBB.
#
# run_scenario PICTURES_DIR SHOTS_DIR COMMAND...
#   runs COMMAND in PICTURES_DIR (the game reads its pictures from there) and
#   saves intro.png, start.png, play.png and stats.png into SHOTS_DIR.
run_scenario() {
  local pictures=$1 shots=$2
  shift 2
  mkdir -p "$shots"
  (cd "$pictures" && exec "$@") >"$shots/game.log" 2>&1 &
  GAME_PID=$!

  expect 60 "the intro picture" --save "$shots/intro.ppm" "bmp:$pictures/intro.bmp"
  expect 10 "the start picture" --save "$shots/start.ppm" "bmp:$pictures/start.bmp"
  xdotool key Return
  # The HUD with no disc over it, the cannon at x 100 (tests/lib/screens.txt).
  expect 10 "the play field" --save "$shots/play.ppm" $(screen play_field)

  xdotool keydown Right
  expect 10 "holding right moves the cannon to x 540" $(screen cannon_at_540)
  xdotool keyup Right

  expect 10 "nothing above the barrel" $(screen clear_above_540)
  xdotool key space
  expect 3 "space fires a shot" $(screen shot_above_540)

  # Discs fall until the lives run out: the grey statistics screen with its red
  # lines and the price message.
  expect 90 "the statistics screen" --save "$shots/stats.ppm" $(screen statistics)

  xdotool key Return
  expect 10 "Enter goes back to the intro picture" "bmp:$pictures/intro.bmp"

  xdotool key Escape
  local waited=0
  while kill -0 "$GAME_PID" 2>/dev/null && [ $waited -lt 100 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  if kill -0 "$GAME_PID" 2>/dev/null; then
    echo "FAIL: the game is still running 10 s after Escape" >&2
    kill "$GAME_PID"
    return 1
  fi
  local code=0
  wait "$GAME_PID" || code=$?
  if [ $code -ne 0 ]; then
    echo "FAIL: exit code $code after Escape" >&2
    return 1
  fi
  echo "ok: Escape ends the game with exit code 0"
  CHECKS_PASSED=$((CHECKS_PASSED + 1))

  local f
  for f in "$shots"/*.ppm; do to_png "$f"; done
  echo "scenario: $CHECKS_PASSED passed, $CHECKS_FAILED failed"
}
