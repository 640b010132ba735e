#!/usr/bin/env bash
# VEXAR in a web browser: installs what the browser build needs, builds it with
# Debian's emscripten into build-web/ (the page, vexar.js, vexar.wasm and the
# three pictures, all gzipped), then, as asked:
#   scripts/web.sh                build only
#   scripts/web.sh serve [PORT]   serve build-web/ on http://127.0.0.1:PORT/ (default 8016)
#   scripts/web.sh test [RUNS]    the browser scenario in headless Chromium, RUNS times in a row, and
#                                 once in Firefox ESR and in WebKit (MiniBrowser); the offline,
#                                 touch and game controller scenarios in Chromium
#   scripts/web.sh bench [FRAMES [OTHER_BUILD_WEB_DIR...]]
#                                 download sizes, time to the first frame, cost of a play frame,
#                                 Chromium's processor use beside the Linux build's (scripts/cpu-use.sh)
#                                 and as a ratio to a bare canvas page's, Lighthouse's scores on its
#                                 desktop and mobile presets;
#                                 other bundles, such as an older build, in columns beside this one
#   scripts/web.sh dist           build-web/vexar-VERSION-web.zip, the bundle for a static host
set -euo pipefail
cd "$(dirname "$0")/.."
action=${1:-build}
case "$action" in
  build | serve | test | bench | dist) ;;
  *) echo "usage: scripts/web.sh [serve [PORT] | test [RUNS] | bench [FRAMES [DIR...]] | dist]" >&2; exit 2 ;;
esac

# The browser build's compiler and the browsers of its tests (WebKit's driver
# brings MiniBrowser; it runs on Xvfb, which xdotool gives the focus); npm may
# come from elsewhere than Debian.
web_packages=(emscripten chromium firefox-esr webkit2gtk-driver)
command -v npm >/dev/null || web_packages+=(npm)
scripts/setup.sh "${web_packages[@]}"

# Debian's emscripten finds its JavaScript modules here. Its system libraries
# come prebuilt with the package (a frozen cache), so nothing is built for it.
export NODE_PATH=/usr/share/nodejs
echo "== Browser build (emscripten) into build-web/"
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-web -j"$(nproc)"

case "$action" in
  serve) exec node tests/web/serve.js build-web "${2:-8016}" ;;
  dist)
    version=$(sed -n 's/^project(vexar VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
    zip=vexar-$version-web.zip
    mapfile -t bundle <build-web/web-bundle.txt  # VEXAR_WEB_BUNDLE (cmake/web_app.cmake)
    # The same bytes from the same commit (cmake/reproducible_zip.cmake).
    SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)} cmake -DZIP="build-web/$zip" \
      -DDIR=build-web -DFILES="$(IFS=';'; echo "${bundle[*]}")" -P cmake/reproducible_zip.cmake
    echo "build-web/$zip" ;;
  test | bench)
    # Only Debian's browsers: no npm package downloads one of its own.
    (cd tests/web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
    if [ "$action" = test ]; then
      node tests/web/scenario.js build-web "${2:-1}"
      node tests/web/offline.js build-web
      node tests/web/touch.js build-web
      node tests/web/gamepad.js build-web
    else
      uptime
      node tests/web/bench.js build-web "${2:-600}" "${@:3}"
      echo "== The Linux build, for comparison"
      scripts/cpu-use.sh 6
    fi ;;
esac
