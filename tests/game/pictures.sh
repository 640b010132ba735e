#!/usr/bin/env bash
# The three pictures the build draws: their sizes, and a disc whose edge is
# either exactly magenta (transparent in the game) or disc colours, with no
# pinkish blend in between, also once the display reduces it to 16 bits.
# Usage: pictures.sh VEXAR BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/lib/prologue.sh"
build=$2
source "$here/lib/checker.sh"
failures=0
expect() {  # expect DESCRIPTION ACTUAL WANTED
    if [ "$2" != "$3" ]; then
        echo "FAIL: $1: got '$2', wanted '$3'"
        failures=$((failures + 1))
    fi
}

expect "intro.bmp size" "$(measure "$build/intro.bmp" size)" "640 480"
expect "start.bmp size" "$(measure "$build/start.bmp" size)" "640 480"
expect "cd.bmp size" "$(measure "$build/cd.bmp" size)" "106 82"

cd=$build/cd.bmp
# Magenta at the corners and in the hole, disc at the rim's middle.
shows "$cd" px:0,0=ff00ff px:105,0=ff00ff px:0,81=ff00ff px:105,81=ff00ff px:53,41=ff00ff ||
    { echo "FAIL: cd.bmp is not magenta at its corners and hole"; failures=$((failures + 1)); }
for at in "53,1" "1,41" "104,41" "53,80" "53,20"; do
    px=$(measure "$cd" "px:$at")
    [ "$px" != "FF00FF" ] || { echo "FAIL: cd.bmp pixel $at is transparent"; failures=$((failures + 1)); }
done
expect "nearly magenta disc pixels" "$(measure "$cd" fringe)" "0"
# The disc fills its 106 x 82 box: it touches all four edges.
[ "$(measure "$cd" has:0,0,106,1=ff00ff)" -lt 106 ] || { echo "FAIL: top row empty"; failures=$((failures + 1)); }
[ "$(measure "$cd" has:0,81,106,1=ff00ff)" -lt 106 ] || { echo "FAIL: bottom row empty"; failures=$((failures + 1)); }
[ "$(measure "$cd" has:0,0,1,82=ff00ff)" -lt 82 ] || { echo "FAIL: left column empty"; failures=$((failures + 1)); }
[ "$(measure "$cd" has:105,0,1,82=ff00ff)" -lt 82 ] || { echo "FAIL: right column empty"; failures=$((failures + 1)); }

# The title screens are pictures, not flat fills.
for name in intro start; do
    [ "$(measure "$build/$name.bmp" notblack:0,0,640,480)" -gt 200000 ] ||
        { echo "FAIL: $name.bmp is mostly black"; failures=$((failures + 1)); }
done

[ "$failures" -eq 0 ] || exit 1
echo "PASS: pictures"
