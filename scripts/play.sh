#!/usr/bin/env bash
# Sets up, builds and starts the game (full-screen; VEXAR_WINDOWED=1 for a window).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
# The game and its pictures only; scripts/test.sh builds the rest.
cmake --build build -j"$(nproc)" --target vexar
# The game reads its pictures from the current directory.
cd build
exec ./vexar
