#!/usr/bin/env bash
# Sets up and builds both packages from scratch into build-package/: the Debian
# package (a Release build of vexar) and the Windows zip (vexar.exe, cross-built).
# Every file in them carries the time of the commit (SOURCE_DATE_EPOCH, unless
# set already), so one commit gives the same bytes wherever and whenever it is
# built; build variables such as -DVEXAR_MAINTAINER=... pass on to CMake
# (docs/packaging.md).
# Usage: scripts/package.sh [deb] [-DVAR=VALUE ...]
#   -> build-package/vexar_<version>_amd64.deb, build-package/vexar-<version>-win64.zip
#   deb: the Debian package alone
set -euo pipefail
cd "$(dirname "$0")/.."
only_deb=0
[ "${1:-}" != deb ] || { only_deb=1; shift; }
scripts/setup.sh
# The commit's time, for every file in the packages.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export SOURCE_DATE_EPOCH
jobs=$(nproc)
out=build-package
rm -rf "$out"

echo "== The Debian package"
# Only what the package holds is built: not the tests.
cmake -S . -B "$out/linux" -DCMAKE_BUILD_TYPE=Release -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "$@" >/dev/null
cmake --build "$out/linux" -j"$jobs" --target vexar icons manual
(cd "$out/linux" && cpack)
if [ "$only_deb" -eq 1 ]; then
  mv "$out"/linux/packages/*.deb "$out"/
  ls -l "$out"/*.deb
  exit 0
fi

echo "== The Windows zip"
cmake -S . -B "$out/win" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$out/win" -j"$jobs"
(cd "$out/win" && cpack)
# CPack's zip holds the times the files were made and read: zipped again from
# its staging folder with the commit's time.
zip=$(basename "$out"/win/packages/*.zip)
cmake -DZIP="$out/$zip" -DDIR="$(ls -d "$out"/win/packages/_CPack_Packages/*/ZIP/"${zip%.zip}")" \
  -P cmake/reproducible_zip.cmake

mv "$out"/linux/packages/*.deb "$out"/
ls -l "$out"/*.deb "$out"/*.zip
