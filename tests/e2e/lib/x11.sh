# Runs programs in a private Xvfb screen (640x480x24 unless asked) for the end-to-end tests.
# The screen is read with xprobe (tests/e2e/xprobe/), which polls it until a
# set of conditions holds. Callers set XPROBE to its path. What the game's
# screens show is in tests/lib/screens.txt: $(screen NAME) gives its conditions.
source "$(dirname "${BASH_SOURCE[0]}")/../../lib/screens.sh"

# start_xvfb [WIDTHxHEIGHTxDEPTH]: starts Xvfb on the first free display and exports DISPLAY.
start_xvfb() {
  local n i screen=${1:-640x480x24}
  for n in $(seq 91 140); do
    [ -e "/tmp/.X$n-lock" ] && continue
    # -noreset: an X server resets when its last client leaves, and a client
    # that connects during the reset (the next one after xdpyinfo) is refused.
    Xvfb ":$n" -screen 0 "$screen" -nolisten tcp -noreset >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
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

# stop_pids PID...: ends the programs a test started; empty or already ended ones
# are no error, so a cleanup under `set -e` always goes on to stop_xvfb.
stop_pids() {
  local p
  for p in "$@"; do [ -z "$p" ] || kill "$p" 2>/dev/null || true; done
}

# wait_window NAME: waits up to 10 s for a viewable window of that name.
wait_window() {
  local _
  for _ in $(seq 100); do
    xwininfo -name "$1" 2>/dev/null | grep -q 'Map State: IsViewable' && return 0
    sleep 0.1
  done
  echo "FAIL: no window named $1" >&2
  return 1
}

stop_xvfb() {
  [ -n "${XVFB_PID:-}" ] || return 0
  kill "$XVFB_PID" 2>/dev/null
  wait "$XVFB_PID" 2>/dev/null || true
}

# expect SECONDS WHAT [--save FILE.ppm] CONDITION...: waits for the screen.
# Counts the checks in CHECKS_PASSED and CHECKS_FAILED. Conditions are in the
# game's 640x480; XPROBE_PLACE says where its picture is on a larger screen,
# e.g. XPROBE_PLACE=(--window VEXAR --scale integer).
XPROBE_PLACE=()
CHECKS_PASSED=0
CHECKS_FAILED=0
expect() {
  local timeout=$1 what=$2
  shift 2
  if "$XPROBE" "$timeout" "${XPROBE_PLACE[@]}" "$@"; then
    echo "ok: $what"
    CHECKS_PASSED=$((CHECKS_PASSED + 1))
  else
    echo "FAIL: $what" >&2
    CHECKS_FAILED=$((CHECKS_FAILED + 1))
    return 1
  fi
}

# Converts a saved screenshot to PNG.
to_png() { /usr/bin/convert "$1" "${1%.ppm}.png" && rm -f "$1"; }

# icon_is NAME PNG: window NAME lists one icon (_NET_WM_ICON), of the PNG's
# size and pixel for pixel the PNG's, and its class is the desktop entry's
# StartupWMClass, so that task bars and switchers can show it.
icon_is() {
  local listed size class
  listed=$(xprop -name "$1" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | paste -sd' ')
  size=$(identify -format '%w x %h' "$2")
  [ "$listed" = "Icon ($size)" ] || { echo "FAIL: the window's icons: ${listed:-none}" >&2; return 1; }
  # The property holds width, height and then ARGB cardinals.
  cmp -s <(xprop -name "$1" -notype 32c _NET_WM_ICON | sed 's/^[^=]*= //' | tr ', ' '\n\n' | grep . | tail -n +3) \
    <(convert "$2" -depth 8 rgba:- | od -An -v -tu1 -w4 | awk '{ printf "%.0f\n", $4 * 16777216 + $1 * 65536 + $2 * 256 + $3 }') ||
    { echo "FAIL: the window's icon is not $2" >&2; return 1; }
  class=$(sed -n 's/^StartupWMClass=//p' "$here/../../packaging/io.github.vexar.vexar.desktop")
  xprop -name "$1" WM_CLASS | grep -q "= \"$class\", \"$class\"$" ||
    { echo "FAIL: StartupWMClass=$class, the window's $(xprop -name "$1" WM_CLASS)" >&2; return 1; }
  echo "ok: the window's icon: $listed, the package's $2; its class $class as in the desktop entry"
}
