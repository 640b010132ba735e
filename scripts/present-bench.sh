#!/usr/bin/env bash
# The cost of showing a frame, per way of showing it, scaling mode and window
# size (port/bench/present_bench.cpp), in a 3840x2160 Xvfb screen with no
# window manager. Prints a table; asserts nothing.
# Usage: scripts/present-bench.sh   (VEXAR_BUILD_DIR: the build folder, default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VEXAR_BUILD_DIR:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target present_bench >/dev/null
source tests/e2e/lib/x11.sh
start_xvfb 3840x2160x24
trap stop_xvfb EXIT
VEXAR_BENCH_XSERVER_PID=$XVFB_PID "$build/port/present_bench"
