#!/usr/bin/env bash
# The real vexar on the headless host, with each of its three pictures in turn
# replaced by a bad one: cut short, the wrong signature, a header claiming
# 100000 x 100000 pixels, one claiming 0 x 0, a directory of that name, and a
# file without read permission. Each time the game starts, plays a whole game
# and quits with exit code 0; where the picture failed nothing is drawn, and
# every other screen is exactly that of a run with good pictures.
# Usage: bad_pictures.sh VEXAR BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/lib/prologue.sh"
vexar=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
build=$(cd "$2" && pwd)
chmod 755 "$work"
source "$here/lib/checker.sh"

cat > "$work/script" <<'SCRIPT'
20 capture intro
50 capture start
55 down RETURN
56 up RETURN
60 down RIGHT
80 up RIGHT
85 capture play
90 down SPACE
91 up SPACE
150 capture field
450 capture over
461 down RETURN
462 up RETURN
470 capture intro_again
480 down ESCAPE
SCRIPT
shots="intro start play field over intro_again"

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# run NAME [COMMAND PREFIX...]: plays the script in $work/NAME, which holds the pictures.
run() {
    local name=$1 status=0
    shift
    rm -rf "$work/$name/shots" "$work/$name/trace"
    mkdir -m 777 "$work/$name/shots"
    (cd "$work/$name" && VEXAR_HOST=headless VEXAR_SCRIPT="$work/script" VEXAR_CAPTURE_DIR=shots \
        VEXAR_TRACE=trace VEXAR_MAX_FRAMES=2000 "$@" "$vexar") > "$work/$name/log" 2>&1 || status=$?
    [ "$status" -eq 0 ] || { fail "$name: exit code $status"; cat "$work/$name/log"; }
    grep -q 'host: close requested' "$work/$name/trace" && fail "$name: the run hit VEXAR_MAX_FRAMES"
    grep -q '^DestroyWindow' "$work/$name/trace" || fail "$name: Escape did not close the window"
    local shot
    for shot in $shots; do [ -f "$work/$name/shots/$shot.bmp" ] || fail "$name: no capture $shot"; done
}

good_pictures() {
    mkdir -p "$work/$1"
    cp "$build/intro.bmp" "$build/start.bmp" "$build/cd.bmp" "$work/$1/"
}

# The pictures to spoil, in a folder of their own.
mkdir "$work/bad"
source=$build/cd.bmp
size=$(wc -c < "$source")
head -c $((size / 2)) "$source" > "$work/bad/truncated"
{ printf 'MB'; tail -c +3 "$source"; } > "$work/bad/signature"
# patch FILE OFFSET BYTES: overwrites bytes in place (BYTES as printf escapes).
patch() { printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }
cp "$source" "$work/bad/huge"
patch "$work/bad/huge" 18 '\xa0\x86\x01\x00\xa0\x86\x01\x00'  # 100000 x 100000
cp "$source" "$work/bad/empty"
patch "$work/bad/empty" 18 '\x00\x00\x00\x00\x00\x00\x00\x00'  # 0 x 0

# The screens of a run with good pictures.
good_pictures good
run good
[ "$failures" -eq 0 ] || exit 1
shows "$work/good/shots/intro.bmp" "bmp:$build/intro.bmp" || fail "good: the intro is not intro.bmp"
shows "$work/good/shots/start.bmp" "bmp:$build/start.bmp" || fail "good: the start is not start.bmp"
shows "$work/good/shots/field.bmp" notblack:0,70,640,340 || fail "good: no disc on the field"

# The screens each picture appears on.
screens_of() {
    case $1 in
    intro) echo "intro intro_again" ;;
    start) echo "start" ;;
    cd) echo "field" ;;
    esac
}

# spoil NAME PICTURE KIND: puts a bad PICTURE in $work/NAME.
spoil() {
    local dir=$work/$1 file=$work/$1/$2.bmp
    good_pictures "$1"
    rm -f "$file"
    case $3 in
    directory) mkdir "$file" ;;
    unreadable) cp "$build/$2.bmp" "$file"; chmod 000 "$file" ;;
    *) cp "$work/bad/$3" "$file" ;;
    esac
}

# expect_missing NAME PICTURE: the picture is not drawn, all else as with good pictures.
expect_missing() {
    local name=$1 picture=$2 shot missing
    missing=" $(screens_of "$picture") "
    for shot in $shots; do
        [ -f "$work/$name/shots/$shot.bmp" ] || continue
        if [[ "$missing" == *" $shot "* ]]; then
            if [ "$shot" = field ]; then
                expect_count "$name: disc pixels on the field" "$(measure "$work/$name/shots/$shot.bmp" notblack:0,70,640,340)" 0
            else
                expect_count "$name: $shot pixels" "$(measure "$work/$name/shots/$shot.bmp" notblack:0,0,640,480)" 0
            fi
        elif [ "$picture" = cd ] && [ "$shot" = over ]; then
            # Discs without a picture have no height and fall further: the
            # game ends a few ticks later, and the title's random colour differs.
            shows "$work/$name/shots/over.bmp" px:320,470=b4b4b4 &&
                [ "$(measure "$work/$name/shots/over.bmp" has:70,200,570,150=ff0000)" -gt 300 ] ||
                fail "$name: no statistics screen"
        elif ! { [ "$picture" = cd ] && [ "$shot" = play ]; }; then
            shows "$work/$name/shots/$shot.bmp" "bmp:$work/good/shots/$shot.bmp" || fail "$name: $shot differs from the good run"
        fi
    done
}
expect_count() { [ "$2" = "$3" ] || fail "$1: $2, wanted $3"; }

expect_as_good() {
    local shot
    for shot in $shots; do
        shows "$work/$1/shots/$shot.bmp" "bmp:$work/good/shots/$shot.bmp" || fail "$1: $shot differs from the good run"
    done
}

# load_failure NAME PICTURE: how the file failed to load, from the trace.
load_failure() {
    local why
    why=$(grep -o "^LoadImageA((nil), \"$2.bmp\".* -> null.*" "$work/$1/trace" | head -n 1 | sed 's/.*-> //')
    [ -n "$why" ] || fail "$1: the load did not fail"
    echo "not drawn, the load gave $why"
}

for picture in intro start cd; do
    for kind in truncated signature huge empty directory unreadable; do
        name=$picture-$kind
        spoil "$name" "$picture" "$kind"
        if [ "$kind" = unreadable ] && [ "$(id -u)" -eq 0 ]; then
            # Root reads a file of mode 000 all the same: the picture is drawn.
            run "$name"
            expect_as_good "$name"
            echo "ok: $name: root reads it and draws it"
            # Without root's privilege it cannot be read.
            if command -v setpriv >/dev/null &&
                setpriv --reuid=nobody --regid=nogroup --clear-groups test -x "$vexar"; then
                chmod 777 "$work/$name"
                run "$name" setpriv --reuid=nobody --regid=nogroup --clear-groups env
                expect_missing "$name" "$picture"
                echo "ok: $name: as nobody $(load_failure "$name" "$picture")"
            else
                echo "note: $name: nobody cannot run $vexar here; the unprivileged case is not run"
            fi
            continue
        fi
        run "$name"
        expect_missing "$name" "$picture"
        echo "ok: $name: $(load_failure "$name" "$picture")"
    done
done

[ "$failures" -eq 0 ] || exit 1
echo "PASS: bad pictures"
