# Wine for the end-to-end scripts: a private home with a fresh prefix, and no
# sound card but ALSA's null device. Needs DISPLAY (start_xvfb first).
#
# start_wine [RENDERER]: makes the home and the prefix, and exports HOME,
#   WINEPREFIX and WINEDEBUG; RENDERER is Wine's DirectDraw renderer, gdi (the
#   default) or gl. Sets WINE_HOME.
# stop_wine: ends the prefix's processes and removes the home.
# wine_flip_fault LOG: whether LOG, a game's output, shows the fault Wine 8's
#   GDI renderer hits in a few start-ups in a hundred: at a Flip, wined3d frees
#   the back buffer's memory while that buffer's DC still points at it, and the
#   next copy to the screen reads the freed range. The read faults inside a host
#   library, mapped at the top of the address space (00007E..., 00007F...), not
#   in the game's code.
start_wine() {
  local renderer=${1:-gdi}
  WINE_HOME=$(mktemp -d)
  printf 'pcm.!default { type null }\n' >"$WINE_HOME/.asoundrc"
  export HOME="$WINE_HOME" WINEPREFIX="$WINE_HOME/prefix" WINEDEBUG=-all
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
  if [ "$renderer" = gdi ]; then
    wine reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f >/dev/null 2>&1
  fi
  # A crash ends the process with its report on stderr, instead of leaving
  # Wine's crash box open over the game until the scenario's timeouts run out.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wineserver -w || true
}

stop_wine() {
  [ -n "${WINE_HOME:-}" ] || return 0
  wineserver -k 2>/dev/null || true
  rm -rf "$WINE_HOME"
  WINE_HOME=
}

wine_flip_fault() {
  grep -Eq 'Unhandled page fault on read access to [0-9A-F]+ at address 00007[EF]' "$1"
}
