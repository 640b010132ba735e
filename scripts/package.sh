#!/usr/bin/env bash
# Sets up and builds both packages from scratch into build-package/: the Debian
# package (a Release build of vexar) and the Windows zip (vexar.exe, cross-built).
# Usage: scripts/package.sh
#   -> build-package/vexar_<version>_amd64.deb, build-package/vexar-<version>-win64.zip
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)
out=build-package
rm -rf "$out"

echo "== The Debian package"
# Only what the package holds is built: not the tests.
cmake -S . -B "$out/linux" -DCMAKE_BUILD_TYPE=Release -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$out/linux" -j"$jobs" --target vexar icons manual
(cd "$out/linux" && cpack)

echo "== The Windows zip"
cmake -S . -B "$out/win" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$out/win" -j"$jobs"
(cd "$out/win" && cpack)

mv "$out"/linux/packages/*.deb "$out"/win/packages/*.zip "$out"/
ls -l "$out"/*.deb "$out"/*.zip
