#!/usr/bin/env bash
# A whole game replayed by the real vexar on the headless host: the intro and
# start pictures, Enter, the HUD, the cannon moving and firing, discs falling
# until the lives run out, the statistics screen, Enter back to the intro and
# Escape, checked by the pixels of captured frames and the exit code.
# Usage: whole_game.sh VEXAR BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/lib/prologue.sh"
vexar=$1
build=$2
source "$here/lib/checker.sh"

# Frames come at 60 a second and the game ticks about once a frame. The
# first play tick spawns a disc and one follows every 21 ticks; each lands
# 57 ticks after it appears, and the sixth landing ends the game.
cat > "$work/script" <<'SCRIPT'
20 capture intro
50 capture start
55 down RETURN
56 up RETURN
58 capture play
60 down RIGHT
80 up RIGHT
85 capture moved
90 down SPACE
91 up SPACE
93 capture fired
110 capture disc
450 capture over
455 down SPACE
456 up SPACE
457 down RIGHT
458 up RIGHT
460 capture still_over
461 down RETURN
462 up RETURN
470 capture intro_again
480 down ESCAPE
SCRIPT

cd "$build"  # the game reads its pictures from here
status=0
VEXAR_HOST=headless VEXAR_SCRIPT="$work/script" VEXAR_CAPTURE_DIR="$work" \
    VEXAR_TRACE="$work/trace" VEXAR_MAX_FRAMES=2000 "$vexar" || status=$?

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
expect() {  # expect DESCRIPTION ACTUAL WANTED
    [ "$2" = "$3" ] || fail "$1: got '$2', wanted '$3'"
}
at_least() {  # at_least DESCRIPTION ACTUAL MINIMUM
    [ "$2" -ge "$3" ] || fail "$1: got $2, wanted at least $3"
}

expect "exit code" "$status" "0"
grep -q 'WM_CLOSE' "$work/trace" || fail "Escape did not close the window"
if grep -q 'host: close requested' "$work/trace"; then fail "the run hit VEXAR_MAX_FRAMES"; fi
for shot in intro start play moved fired disc over still_over intro_again; do
    [ -f "$work/$shot.bmp" ] || { fail "no capture $shot"; }
done
[ "$failures" -eq 0 ] || exit 1

# The intro picture, then the start picture, each exactly as drawn.
shows "$work/intro.bmp" bmp:intro.bmp || fail "the first screen is not intro.bmp"
shows "$work/start.bmp" bmp:start.bmp || fail "the second screen is not start.bmp"

# Play: the HUD in blue on black, the cannon at 100.
cap=$work/play.bmp
at_least "blue HUD pixels" "$(measure "$cap" has:0,0,220,70=0000ff)" 20
shows "$cap" px:5,5=000000 $(screen cannon_at_100) || fail "the HUD's background, the cannon at 100"
expect "cannon's left edge" "$(measure "$cap" first:470=c8c8c8)" "99"

# The right arrow moved it about 20 steps of 10 pixels.
cap=$work/moved.bmp
edge=$(measure "$cap" first:470=c8c8c8)
x=$((edge + 1))
[ $((x % 10)) -eq 0 ] && [ "$x" -ge 260 ] && [ "$x" -le 340 ] || fail "cannon at $x after the right arrow"
shows "$cap" "px:$((x + 50)),430=0000ff" || fail "moved cannon barrel"
shows "$cap" "black:$((x + 38)),340,30,78" || fail "something above the barrel before firing"

# Space fired a shot from the barrel: colours above it now.
at_least "shot pixels above the barrel" "$(measure "$work/fired.bmp" "notblack:$((x + 38)),340,30,78")" 150

# A falling disc, drawn whole with its magenta left out, on a row of 7.
found=$(measure "$work/disc.bmp" sprite:cd.bmp | head -n 1)
if [ -z "$found" ]; then
    fail "no disc on the screen"
else
    read -r dx dy <<< "$found"
    [ $((dy % 7)) -eq 0 ] && [ "$dx" -le 533 ] || fail "disc at $dx, $dy"
fi

# The statistics: grey with its lighter outline, red lines, and they stay
# put under space and the arrows.
cap=$work/over.bmp
shows "$cap" px:320,470=b4b4b4 px:0,0=c8c8c8 || fail "the statistics' background and outline"
red=has:70,200,570,150=ff0000
at_least "red statistics text" "$(measure "$cap" $red)" 300
expect "statistics under other keys" "$(measure "$work/still_over.bmp" $red)" "$(measure "$cap" $red)"
shows "$work/still_over.bmp" px:320,470=b4b4b4 || fail "the background under other keys"

# Enter goes back to the intro picture.
shows "$work/intro_again.bmp" bmp:intro.bmp || fail "Enter did not go back to intro.bmp"

[ "$failures" -eq 0 ] || exit 1
echo "PASS: a whole game"
