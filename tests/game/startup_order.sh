#!/usr/bin/env bash
# The global objects are built before WinMain and torn down after it returns
# in a fixed order: the sockets guards and fonts at load, the window only from
# WinMain, and at exit the disc's surface and the intro pictures before the
# display. Checked in the trace of a real run that quits at once.
# Usage: startup_order.sh VEXAR BUILD_DIR
set -euo pipefail
vexar=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo '10 down ESCAPE' > "$work/script"
cd "$build"
status=0
VEXAR_HOST=headless VEXAR_SCRIPT="$work/script" VEXAR_TRACE="$work/trace" "$vexar" || status=$?
if [ "$status" -ne 0 ]; then
    echo "FAIL: vexar exited with $status"
    exit 1
fi

# The calls that show the order, without their results.
grep -E '^(WSAStartup|WSACleanup|CreateFontA|RegisterClassA|Release\((offscreen|backbuffer|primary|DirectDraw))' \
    "$work/trace" | sed -E 's/ -> .*//' > "$work/actual"

cat > "$work/expected" <<'ORDER'
WSAStartup(0x101)
WSAStartup(0x101)
CreateFontA(14, 0, "Arial")
WSAStartup(0x101)
WSAStartup(0x101)
WSAStartup(0x101)
WSAStartup(0x101)
CreateFontA(100, 0, "Arial")
CreateFontA(15, 0, "Arial")
WSAStartup(0x101)
RegisterClassA("VEXAR")
CreateFontA(13, 400, "Arial")
WSACleanup()
WSACleanup()
WSACleanup()
Release(offscreen 106x82)
Release(offscreen 640x480)
Release(offscreen 640x480)
Release(backbuffer)
Release(primary)
Release(DirectDraw)
WSACleanup()
WSACleanup()
WSACleanup()
WSACleanup()
ORDER

if ! diff -u "$work/expected" "$work/actual"; then
    echo "FAIL: start-up or exit order differs (- expected, + actual)"
    exit 1
fi
echo "PASS: start-up and exit order"
