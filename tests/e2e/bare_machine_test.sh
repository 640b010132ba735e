#!/usr/bin/env bash
# The real vexar on a bare machine. Without a display: one plain line on
# stderr and exit code 0. In Xvfb without an audio device and without the
# Liberation fonts: a whole game played as usual, silent, its text drawn in
# the fallback sans face.
# Usage: bare_machine_test.sh VEXAR BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/lib/prologue.sh"
source "$here/lib/scenario.sh"
shots="$build/shots/bare"
mkdir -p "$shots"
work=$(mktemp -d)
trap 'rm -rf "$work"; stop_xvfb' EXIT

# no_display NAME ENV...: runs the game with the environment changed so; it
# must end at once with exit code 0 and one line on stderr saying why.
no_display() {
  local name=$1 code=0
  shift
  (cd "$(dirname "$vexar")" && env "$@" VEXAR_HOST=sdl timeout 20 "$vexar") \
    >"$work/out" 2>"$work/err" || code=$?
  if [ "$code" -ne 0 ] || [ -s "$work/out" ] || [ "$(wc -l <"$work/err")" -ne 1 ] ||
    ! grep -q '^vexar: no display available (.*)$' "$work/err"; then
    echo "FAIL: $name: exit code $code, stdout '$(cat "$work/out")', stderr '$(cat "$work/err")'" >&2
    return 1
  fi
  echo "ok: $name: exit code 0, stderr: $(cat "$work/err")"
}
no_display "DISPLAY unset" -u DISPLAY -u WAYLAND_DISPLAY
no_display "no X server at DISPLAY" -u WAYLAND_DISPLAY DISPLAY=:4321

# A font configuration that leaves Liberation out, and the Nimbus faces that
# Ghostscript (an ImageMagick dependency) brings, so the fallback is DejaVu Sans,
# as on a bare machine.
cat >"$work/fonts.conf" <<'CONF'
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>
  <selectfont><rejectfont><glob>*/Liberation*</glob><glob>*/Nimbus*</glob></rejectfont></selectfont>
</fontconfig>
CONF
export FONTCONFIG_FILE="$work/fonts.conf"
# ALSA, with a device that is not there.
export SDL_AUDIODRIVER=alsa AUDIODEV=nosuchdevice
export VEXAR_TRACE="$shots/trace"
rm -f "$VEXAR_TRACE"

start_xvfb
run_scenario "$(dirname "$vexar")" "$shots" "$vexar"

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
grep -q '^DirectSoundCreate(default) -> 0x88780078' "$VEXAR_TRACE" ||
  fail "DirectSoundCreate did not fail with DSERR_NODRIVER: $(grep DirectSoundCreate "$VEXAR_TRACE")"
[ "$(grep -c . "$shots/game.log")" -eq 0 ] ||
  fail "stderr is not empty without a sound device: $(cat "$shots/game.log")"
grep -q '^host: no audio device (.*)$' "$VEXAR_TRACE" ||
  fail "the trace has no failed audio open"
faces=$(grep -o '^CreateFontA([0-9]*, [0-9]*, "Arial") -> "[^"]*"' "$VEXAR_TRACE" | sed 's/.*-> //' | sort -u)
[ -n "$faces" ] || fail "no font was made for Arial"
if echo "$faces" | grep -qi liberation || echo "$faces" | grep -qv 'Sans'; then
  fail "Arial became $faces, not a sans face other than Liberation"
fi
[ "$failures" -eq 0 ] || exit 1
echo "ok: no audio device (silent, traced), text drawn in $faces"
