# Driving a program in a private Xvfb screen and reading that screen's pixels.
# Sourced by the end-to-end tests. ImageMagick is called by its full path: some
# machines put a stand-in `convert` earlier on the PATH.

IM_CONVERT=/usr/bin/convert
IM_COMPARE=/usr/bin/compare
SHOT=""

# Starts Xvfb (640x480x24) on the first free display and exports DISPLAY.
start_xvfb() {
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 100); do
      xdpyinfo >/dev/null 2>&1 && return 0
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill "$XVFB_PID" 2>/dev/null
  done
  echo "cannot start Xvfb" >&2
  return 1
}

stop_xvfb() { [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null || true; }

# Takes a screenshot of the whole screen into $SHOT.
shot() { xwd -root -silent | "$IM_CONVERT" xwd:- "$SHOT" 2>/dev/null; }

# The colour at (x, y) of the last screenshot, as RRGGBB.
pixel() { "$IM_CONVERT" "$SHOT" -format "%[hex:p{$1,$2}]" info: 2>/dev/null; }

# Whether the last screenshot has the colour RRGGBB somewhere in the box x y w h.
region_has() {
  "$IM_CONVERT" "$SHOT" -crop "$3x$4+$1+$2" +repage -format %c histogram:info: 2>/dev/null |
    grep -qi "#$5"
}

# Whether the last screenshot has a colour other than black in the box x y w h.
region_not_black() {
  "$IM_CONVERT" "$SHOT" -crop "$3x$4+$1+$2" +repage -format %c histogram:info: 2>/dev/null |
    grep -vqi "#000000"
}

# Whether the last screenshot equals the picture file pixel for pixel.
screen_is() {
  local diff
  diff=$("$IM_COMPARE" -metric AE "$SHOT" "$1" null: 2>&1) || true
  [ "$diff" = "0" ]
}

# Repeats "shot; CONDITION" until the condition holds or SECONDS seconds pass.
# Usage: wait_for SECONDS DESCRIPTION CONDITION [ARGS...]
wait_for() {
  local timeout=$1 what=$2
  shift 2
  local end=$((SECONDS + timeout))
  while :; do
    shot && "$@" && return 0
    if [ $SECONDS -ge $end ]; then
      echo "FAIL: timed out waiting for: $what" >&2
      return 1
    fi
    sleep 0.05
  done
}
