#!/usr/bin/env bash
# The two packages as players get them. Builds both from scratch
# (scripts/package.sh) and lists their files, then:
#   the .deb: lintian --pedantic finds no error or warning, appstreamcli and
#   desktop-file-validate nothing to say; built a second time from a clone of
#   the commit, in another folder at another time, it has the same bytes;
#   installed with apt, appstreamcli lists it, its desktop entry valid and its command on
#   the PATH; started through the launcher from / in Xvfb it shows the intro
#   picture and ends on Escape with exit code 0, with no sound device and
#   nothing on stderr, its trace holding the failed audio open; the binary started directly
#   from / still plays, with black screens for its pictures; the launcher
#   says in one line, with exit code 1, that its data folder is missing or
#   unreadable; removed, nothing of it is left on disk and appstreamcli no longer lists it.
#   the zip: unzipped into an empty folder, only Windows' own DLLs imported,
#   the icon and version inside, and the Wine scenario played against the
#   vexar.exe there.
# Installs and removes the package, so runs as root (CI) or with sudo; refuses
# to run where vexar is installed already.
# Usage: tests/package/package_test.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
source tests/package/lib.sh

dpkg-query -W -f='${Status}' vexar 2>/dev/null | grep -q 'installed$' &&
  { echo "vexar is installed on this machine; remove it first" >&2; exit 2; }
scripts/setup.sh lintian appstream
scripts/package.sh
version=$(sed -n 's/^project(vexar VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
deb=$root/build-package/vexar_${version}_amd64.deb
zip=$root/build-package/vexar-${version}-win64.zip
shots=$root/build-package/shots
mkdir -p "$shots"
work=$(mktemp -d)
chmod 755 "$work"
installed=0
cleanup() {
  [ -z "${GAME_PID:-}" ] || kill "$GAME_PID" 2>/dev/null || true
  stop_xvfb || true
  [ "$installed" -eq 0 ] || $sudo apt-get purge -y -o DPkg::Lock::Timeout=600 vexar >/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

echo "== The packages of version $version"
grep -qF "vexar_${version}_amd64.deb" README.md && grep -qF "vexar-${version}-win64.zip" README.md ||
  fail "the README does not name vexar_${version}_amd64.deb and vexar-${version}-win64.zip"
dpkg -c "$deb"
dpkg-deb -f "$deb" Package Version Architecture Depends
check_deb_files "$deb"
check_depends "$deb" libsdl2-2.0-0 libfreetype6 libfontconfig1 fonts-liberation2
unzip -l "$zip"
check_zip_files "$zip"

echo "== What Debian's and the software centres' tools say"
dpkg-deb -x "$deb" "$work/tree"
check_lintian "$deb"
check_metadata "$work/tree" "$version"

echo "== The .deb once more, from a clone of the commit in another folder"
git clone -q "$root" "$work/clone"
git -C "$work/clone" checkout -q "$(git rev-parse HEAD)"
started=$SECONDS
(cd "$work/clone" && scripts/package.sh deb >"$work/clone.log" 2>&1) || { tail -n 20 "$work/clone.log" >&2; fail "the second build"; }
again=$work/clone/build-package/vexar_${version}_amd64.deb
same "the same .deb, byte for byte, from $root and from a clone $((SECONDS - started)) s later (SHA-256)" \
  "$(sha256sum <"$deb")" "$(sha256sum <"$again" 2>/dev/null)"

echo "== The launcher on bad data folders (the package's files, unpacked)"
launcher_fails "a missing data folder" "is missing" mv "$work/tree/usr/share/games/vexar" "$work/moved"
mv "$work/moved" "$work/tree/usr/share/games/vexar"
launcher_fails "an unreadable data folder" "cannot open" chmod 000 "$work/tree/usr/share/games/vexar"
chmod 755 "$work/tree/usr/share/games/vexar"

echo "== Installed with apt"
installed=1
$sudo apt-get install -y -o DPkg::Lock::Timeout=600 "$deb"
check_desktop_entry
listed_by_appstream yes

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target xprobe >/dev/null
start_xvfb
# A config folder of its own: a window the player left last time would start
# the game in that window, not full screen.
export SDL_AUDIODRIVER=dummy VEXAR_HOST=sdl XDG_CONFIG_HOME="$work/config"
plays_from_root
plays_black_without_launcher

echo "== Removed"
$sudo apt-get remove -y -o DPkg::Lock::Timeout=600 vexar
installed=0
check_nothing_left "$deb"
listed_by_appstream no
stop_xvfb
for shot in "$shots"/*.ppm; do to_png "$shot"; done

echo "== The Windows zip, unzipped into an empty folder"
mkdir "$work/zip"
unzip -q "$zip" -d "$work/zip"
check_windows_exe "$work/zip/vexar.exe" "$version"
scripts/wine-e2e.sh "$work/zip"
failures=$((failures + CHECKS_FAILED))
[ "$failures" -eq 0 ] || { echo "package test: $failures failed" >&2; exit 1; }
echo "package test: all passed"
