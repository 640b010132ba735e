#!/usr/bin/env bash
# Installs, with apt-get, whatever the build and the tests need and the machine lacks.
# Usage: scripts/setup.sh [extra package ...]
set -euo pipefail

packages=(
  cmake g++ pkg-config
  libsdl2-dev libfreetype-dev libfontconfig-dev fonts-liberation2
  fonts-dejavu-core  # the sans face the game falls back to without Liberation
  libgtest-dev
  xvfb xdotool imagemagick x11-apps x11-utils
  openbox  # the window manager of the desktop end-to-end test
  weston  # the Wayland compositor of the Wayland end-to-end test
  g++-mingw-w64-x86-64
  clang libclang-rt-14-dev
  fonttools  # cuts the browser build's font
  libstb-dev zlib1g-dev dpkg-dev desktop-file-utils zip unzip  # the pictures' files; the packages and their checks
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
