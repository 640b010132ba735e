#!/usr/bin/env bash
# Builds the bitmap fuzzer with clang (AddressSanitizer, UndefinedBehaviorSanitizer,
# coverage of the port) and runs it for a bounded time on a seed corpus of small
# BMP files. Crashes are written to build-fuzz/fuzz-artifacts/.
# Usage: scripts/fuzz.sh [SECONDS]   (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
case "$seconds" in
  ''|*[!0-9]*) echo "usage: scripts/fuzz.sh [SECONDS]" >&2; exit 2 ;;
esac
scripts/setup.sh

build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVEXAR_FUZZ=ON -DVEXAR_SANITIZE=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target bitmap_fuzzer make_bmp_seeds

seeds="$build/fuzz-seeds"
corpus="$build/fuzz-corpus"
artifacts="$build/fuzz-artifacts"
mkdir -p "$seeds" "$corpus" "$artifacts"
"$build/tests/fuzz/make_bmp_seeds" "$seeds"

export VEXAR_HOST=headless
export LSAN_OPTIONS="suppressions=$PWD/tests/fuzz/lsan.supp"
# New inputs go to the corpus, which later runs start from; the seeds are read only.
"$build/tests/fuzz/bitmap_fuzzer" "$corpus" "$seeds" \
  -max_total_time="$seconds" -max_len=4096 -len_control=0 -timeout=10 -rss_limit_mb=4096 \
  -artifact_prefix="$artifacts/" -print_final_stats=1
