#!/usr/bin/env bash
# Sets up, cross-builds vexar.exe and plays the end-to-end scenario against it
# under Wine in Xvfb, with a fresh Wine prefix and the ALSA null device.
# Usage: scripts/wine-e2e.sh [FOLDER]   (a folder holding vexar.exe and its
# pictures, such as an unzipped package; without one, build-win, built first)
set -euo pipefail
game=""
[ $# -eq 0 ] || game=$(cd "$1" && pwd)
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/setup.sh wine wine64
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs" --target xprobe
if [ -z "$game" ]; then
  cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build-win -j"$jobs"
  game=$root/build-win
fi

XPROBE="$root/build/tests/xprobe"
source tests/e2e/lib/x11.sh
source tests/e2e/lib/scenario.sh

# A private home: a fresh prefix, and no sound card but ALSA's null device.
winehome=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$winehome"' EXIT
printf 'pcm.!default { type null }\n' >"$winehome/.asoundrc"
export HOME="$winehome" WINEPREFIX="$winehome/prefix" WINEDEBUG=-all

start_xvfb
echo "Preparing the Wine prefix (about 10 s)..."
# No .NET or HTML engine is needed; skipping them keeps wineboot from offering
# to download their installers.
WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1 || true
# Windows has Arial; a fresh prefix does not, and Wine would fall back on a
# fixed-pitch face for the game's FF_MODERN fonts. Liberation Sans has Arial's metrics.
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ /d 'Liberation Sans' /f >/dev/null 2>&1
# Xvfb has no GPU: Wine's default DirectDraw path runs on OpenGL over llvmpipe,
# which now and then crashed the process as it exited (about one run in
# fifteen, inside Wine's thread teardown). Its GDI renderer draws the same.
wine reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f >/dev/null 2>&1
wineserver -w || true

run_scenario "$game" "$root/build/shots/wine" wine "$game/vexar.exe"
wineserver -k 2>/dev/null || true
