#!/usr/bin/env bash
# Sets up, builds and runs every test: the unit tests and the end-to-end tests,
# the unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer,
# and the cross-build of vexar.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)

echo "== Build and test (Linux)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

echo "== Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVEXAR_SANITIZE=ON
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j"$jobs" -L 'unit|game')

echo "== Cross-build of vexar.exe"
cmake --no-warn-unused-cli -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release
cmake --build build-win -j"$jobs"
ls -l build-win/vexar.exe

echo "== Fuzzing the bitmap loader (AddressSanitizer, 20 s)"
scripts/fuzz.sh 20
