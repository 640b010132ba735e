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
  # The HUD's three lines of blue text, with no disc over them (the band below
  # them is clear); the cannon at x 100: grey base with its lighter outline,
  # white body, blue barrel.
  expect 10 "the play field" --save "$shots/play.ppm" \
    "has:10,10,120,16=0000ff" "has:10,30,120,16=0000ff" "has:10,50,120,16=0000ff" \
    "black:0,66,140,40" \
    "px:100,470=c8c8c8" "px:150,470=b4b4b4" \
    "px:150,450=ffffff" "px:150,430=0000ff"

  xdotool keydown Right
  expect 10 "holding right moves the cannon to x 540" \
    "px:636,470=b4b4b4" "px:590,450=ffffff" "px:590,430=0000ff"
  xdotool keyup Right

  expect 10 "nothing above the barrel" "black:580,300,26,115"
  xdotool key space
  expect 3 "space fires a shot" "notblack:580,300,26,115"

  # Discs fall until the lives run out: the grey statistics screen with its red
  # lines and the price message.
  expect 90 "the statistics screen" --save "$shots/stats.ppm" \
    "px:320,470=b4b4b4" "px:5,240=b4b4b4" "has:70,200,300,80=ff0000" \
    "has:70,290,560,20=ff0000" "has:70,330,400,20=ff0000"

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
