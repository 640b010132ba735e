#!/usr/bin/env bash
# A long run of the real vexar on the headless host with random play (games,
# the statistics screen, back to the intro, switches away and back): exit code
# 0, the live GDI objects, DCs, surfaces and COM objects the same at every
# report, and nothing from the sanitizers. 50,000 frames in the sanitizer
# build (with leak detection at exit), 5,000 elsewhere; scripts/soak.sh runs
# a million.
# Usage: long_run.sh VEXAR BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/lib/prologue.sh"
vexar=$1
build=$2

sanitized=no
grep -q '^VEXAR_SANITIZE:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null && sanitized=yes
frames=5000
[ "$sanitized" = yes ] && frames=50000
every=$((frames / 10))
awk -v frames="$frames" -v seed=7 -f "$here/lib/random_input.awk" > "$work/script"

cd "$build"  # the game reads its pictures from here
status=0
ASAN_OPTIONS="detect_leaks=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}" \
UBSAN_OPTIONS="print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}" \
VEXAR_HOST=headless VEXAR_SCRIPT="$work/script" VEXAR_MAX_FRAMES="$frames" \
    VEXAR_REPORT_EVERY="$every" "$vexar" 2> "$work/stderr" || status=$?

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
grep '^vexar: frame ' "$work/stderr" || true
[ "$status" -eq 0 ] || fail "exit code $status"
if grep -Eq 'Sanitizer|runtime error' "$work/stderr"; then
    fail "the sanitizers reported:"
    grep -v '^vexar: frame ' "$work/stderr" | head -60
fi
reports=$(grep -c '^vexar: frame ' "$work/stderr" || true)
[ "$reports" -eq 11 ] || fail "$reports reports, wanted 11 (the start and every $every frames)"
counts=$(grep '^vexar: frame ' "$work/stderr" | sed 's/^vexar: frame [0-9]*: //; s/, resident.*//' | sort -u)
[ "$(echo "$counts" | wc -l)" -eq 1 ] || fail "live objects moved: $(echo "$counts" | tr '\n' ';')"
# The resident memory, where no sanitizer's shadow and quarantine weigh on it:
# flat from the second report on.
if [ "$sanitized" = no ]; then
    rss=$(grep '^vexar: frame ' "$work/stderr" | sed 's/.*resident \([0-9]*\) kB/\1/')
    second=$(echo "$rss" | sed -n 2p)
    last=$(echo "$rss" | tail -n 1)
    [ "$last" -le $((second + 512)) ] || fail "resident memory grew from $second kB to $last kB"
fi
[ "$failures" -eq 0 ] || exit 1
echo "PASS: $frames frames (sanitizers: $sanitized), objects flat: $counts"
