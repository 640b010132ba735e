#!/usr/bin/env bash
# A release in one command: the Debian package, the Windows zip and the web
# zip of the checked-out commit, built from scratch into dist/ with their
# SHA256SUMS and RELEASE-NOTES.md, the newest release's part of CHANGELOG.md.
# Every file in them carries the commit's time, so the same commit gives the
# same bytes on any machine (docs/packaging.md); the tree must be committed.
# Usage: scripts/release.sh [-DVAR=VALUE ...]   (build variables, such as
#   -DVEXAR_MAINTAINER="Name <address>", passed on to CMake)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "release: the tree has changes that are not committed; a release is made from a commit" >&2
  exit 1
fi
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH
version=$(sed -n 's/^project(vexar VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
# The newest release's items: the lines after its heading, up to the next one.
notes=$(awk '/^## /{n++} n==1' CHANGELOG.md)
case "$notes" in
  "## $version "*) ;;
  *) echo "release: CHANGELOG.md's newest release is not $version: ${notes%%$'\n'*}" >&2; exit 1 ;;
esac

scripts/package.sh "$@"
scripts/web.sh dist

rm -rf dist
mkdir dist
cp build-package/vexar_"$version"_amd64.deb build-package/vexar-"$version"-win64.zip \
  build-web/vexar-"$version"-web.zip dist/
(cd dist && sha256sum vexar_"$version"_amd64.deb vexar-"$version"-win64.zip vexar-"$version"-web.zip >SHA256SUMS)
{
  echo "# VEXAR ${notes#\#\# }"
  echo
  echo "Built from commit $(git rev-parse HEAD) of $(git log -1 --format=%cd --date=iso-strict)."
  echo
  echo "| File | What it is |"
  echo "| --- | --- |"
  echo "| vexar_${version}_amd64.deb | Debian 12 and later: apt install ./vexar_${version}_amd64.deb |"
  echo "| vexar-${version}-win64.zip | Windows: unzip into a folder and start vexar.exe |"
  echo "| vexar-${version}-web.zip | the browser game, for any static web host |"
  echo
  echo "SHA-256 (SHA256SUMS; check with sha256sum -c SHA256SUMS):"
  echo
  sed 's/^/    /' dist/SHA256SUMS
} >dist/RELEASE-NOTES.md
echo "== dist/"
ls -l dist
cat dist/SHA256SUMS
