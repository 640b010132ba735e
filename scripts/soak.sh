#!/usr/bin/env bash
# A long run of the real vexar on the headless host: random play (games, the
# statistics screen, back to the intro, switches away and back) for FRAMES
# frames, reporting the live GDI objects, DCs, surfaces, COM objects and the
# resident memory at the start and every tenth of the run. Fails when an
# object count moves or the resident memory grows by more than 1 MB after
# the first tenth. Also says which screens 100 frames spread over the run showed.
# Usage: scripts/soak.sh [FRAMES]   (default 1000000; builds first if needed)
# VEXAR_BUILD_DIR: the build folder to use (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
frames=${1:-1000000}
[[ "$frames" =~ ^[0-9]+$ ]] && [ "$frames" -ge 1000 ] || { echo "usage: $0 [FRAMES >= 1000]" >&2; exit 2; }
build=${VEXAR_BUILD_DIR:-build}
scripts/setup.sh
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target vexar xprobe >/dev/null
build=$(cd "$build" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
shows() { "$build/tests/xprobe" --file "$@" 2>/dev/null; }
every=$((frames / 10))
shots=$((frames / 100))
{
    awk -v frames="$frames" -v seed=20240601 -f tests/game/lib/random_input.awk
    for ((f = shots / 2; f < frames; f += shots)); do echo "$f capture s$f"; done
} > "$work/script"
echo "soak: $frames frames, $(grep -c . "$work/script") scripted commands, a report every $every frames"

start=$(date +%s)
status=0
(cd "$build" && VEXAR_HOST=headless VEXAR_SCRIPT="$work/script" VEXAR_CAPTURE_DIR="$work" \
    VEXAR_MAX_FRAMES="$frames" VEXAR_REPORT_EVERY="$every" ./vexar) 2> "$work/stderr" || status=$?
seconds=$(( $(date +%s) - start ))
grep '^vexar: frame ' "$work/stderr" || true
grep -v '^vexar: frame ' "$work/stderr" | head -20 >&2 || true
echo "soak: exit code $status after $seconds s"

# The screens seen, from the captures.
intro=0; start_pic=0; play=0; stats=0; black=0; other=0
for shot in "$work"/s*.bmp; do
    if shows "$shot" "bmp:$build/intro.bmp"; then intro=$((intro + 1))
    elif shows "$shot" "bmp:$build/start.bmp"; then start_pic=$((start_pic + 1))
    elif shows "$shot" px:320,470=b4b4b4 px:0,0=c8c8c8; then stats=$((stats + 1))
    # The play field: the cannon's outline on the bottom rows (a disc may hide the HUD).
    elif shows "$shot" has:0,470,640,1=c8c8c8; then play=$((play + 1))
    # The first frame of a title picture whose surface was lost in a switch
    # away: the sprite reloads and shows from the next frame.
    elif shows "$shot" black:0,0,640,480; then black=$((black + 1))
    else other=$((other + 1)); echo "soak: an unknown screen at frame ${shot##*/s}" | sed "s/.bmp$//"; fi
done
echo "soak: screens captured: intro $intro, start $start_pic, play $play, statistics $stats, black (reloading) $black, other $other"

verdict=$(grep '^vexar: frame ' "$work/stderr" | awk -v frames="$frames" -v every="$every" '
    { gsub(/,/, ""); n++; frame[n] = $3; counts[n] = $6 " " $8 " " $10 " " $13; rss[n] = $15 }
    END {
        if (n < 2 || frame[n] < frames) { print "missing reports (" n ", last at frame " frame[n] ")"; exit }
        for (i = 2; i <= n; i++)
            if (counts[i] != counts[1]) { print "objects moved at frame " frame[i] ": " counts[i] " (start: " counts[1] ")"; exit }
        base = n >= 3 ? rss[2] : rss[1]
        if (rss[n] - base > 1024) { print "resident memory grew from " base " kB to " rss[n] " kB"; exit }
        print "ok"
    }')
echo "soak: $verdict"
[ "$status" -eq 0 ] && [ "$verdict" = ok ] && [ "$other" -eq 0 ]
