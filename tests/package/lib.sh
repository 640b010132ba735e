# The checks of package_test.sh. Each says "ok: ..." or counts a failure.
source "$root/tests/e2e/lib/x11.sh"
XPROBE="$root/build/tests/xprobe"

sudo=""
as_player=""
if [ "$(id -u)" -eq 0 ]; then
  # Root reads any folder; the unreadable one is tried as a player would be.
  as_player="setpriv --reuid=nobody --regid=nogroup --clear-groups"
else
  sudo=sudo
fi
# Debian's PATH for players (/etc/profile), which holds /usr/games, as root's does not.
PLAYER_PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games
APP_ID=io.github.vexar.vexar

failures=0
ok() { echo "ok: $*"; }
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
# same WHAT EXPECTED ACTUAL: two lists of lines.
same() {
  if [ "$2" = "$3" ]; then
    ok "$1"
  else
    fail "$1: $(diff <(echo "$2") <(echo "$3") | grep '^[<>]' | tr '\n' ' ')"
  fi
}

check_deb_files() {
  local expected
  expected=$(printf '%s\n' ./usr/games/vexar ./usr/lib/games/vexar/vexar \
    ./usr/share/applications/$APP_ID.desktop ./usr/share/metainfo/$APP_ID.metainfo.xml \
    ./usr/share/doc/vexar/{README,changelog.gz,copyright} ./usr/share/games/vexar/{cd,intro,start}.bmp \
    ./usr/share/man/man6/vexar.6.gz \
    ./usr/share/icons/hicolor/{32x32,64x64,128x128,256x256}/apps/vexar.png | sort)
  same "the .deb holds the launcher, the game, its pictures, desktop entry, metainfo, icons, manual and documents" \
    "$expected" "$(dpkg-deb --fsys-tarfile "$1" | tar -t | grep -v '/$' | sort)"
}

# check_lintian DEB: Debian's lintian, pedantic, finds no error and no warning;
# what it only informs of is shown.
check_lintian() {
  local out code=0
  out=$(lintian --pedantic --display-info --fail-on error,warning "$1" 2>&1) || code=$?
  [ -z "$out" ] || echo "$out" | sed 's/^/  lintian: /'
  [ "$code" -eq 0 ] && ok "lintian --pedantic: no error, no warning" || fail "lintian --pedantic (exit code $code)"
}

# check_metadata TREE VERSION: the unpacked package's metainfo and desktop
# entry pass appstreamcli and desktop-file-validate without a word, and the
# metainfo launches that entry and knows this version.
check_metadata() {
  local metainfo=$1/usr/share/metainfo/$APP_ID.metainfo.xml entry=$1/usr/share/applications/$APP_ID.desktop out
  out=$(appstreamcli validate --pedantic --no-net --no-color "$metainfo" 2>&1) &&
    [ "$(echo "$out" | grep -c '^[EWIP]:')" -eq 0 ] &&
    ok "appstreamcli validate --pedantic: $(echo "$out" | tail -n 1)" ||
    fail "appstreamcli validate --pedantic: $out"
  out=$(desktop-file-validate "$entry" 2>&1) && [ -z "$out" ] && ok "desktop-file-validate: nothing to say" ||
    fail "desktop-file-validate: $out"
  grep -q "<launchable type=\"desktop-id\">$APP_ID.desktop</launchable>" "$metainfo" &&
    grep -q "<release version=\"$2\" date=\"[0-9-]*\">" "$metainfo" &&
    ok "the metainfo launches $APP_ID.desktop and has release $2" ||
    fail "the metainfo does not launch $APP_ID.desktop or lacks release $2"
}

# listed_by_appstream YES|NO: whether appstreamcli, its cache refreshed, knows the game.
listed_by_appstream() {
  appstreamcli refresh-cache --force >/dev/null 2>&1 || true
  if appstreamcli get "$APP_ID" 2>/dev/null | grep -q "^Identifier: $APP_ID"; then
    [ "$1" = yes ] && ok "appstreamcli lists $APP_ID" || fail "appstreamcli still lists $APP_ID"
  else
    [ "$1" = no ] && ok "appstreamcli no longer lists $APP_ID" || fail "appstreamcli does not list $APP_ID"
  fi
}

# check_depends DEB PACKAGE...: each package is among the dependencies.
check_depends() {
  local deb=$1 p depends before=$failures
  shift
  depends=$(dpkg-deb -f "$deb" Depends)
  for p in "$@"; do
    echo ", $depends," | grep -q ", $p[ ,]" || fail "the .deb does not depend on $p: $depends"
  done
  [ "$failures" -ne "$before" ] || ok "the .deb depends on $*"
}

check_zip_files() {
  same "the zip holds vexar.exe, its pictures, how to play and the licence, at its top" \
    "$(printf '%s\n' LICENSE.txt README.txt cd.bmp intro.bmp start.bmp vexar.exe)" \
    "$(unzip -Z1 "$1" | sort)"
}

# check_icons TREE: the hicolor icons are PNGs of the size their folder says,
# a tile clear at its corners and opaque in the middle.
check_icons() {
  local size found before=$failures
  for size in 32 64 128 256; do
    found=$(convert "$1/usr/share/icons/hicolor/${size}x${size}/apps/vexar.png" \
      -format '%m %wx%h, corner %[fx:p{0,0}.a], middle %[fx:p{w/2,h/2}.a]' info:)
    [ "$found" = "PNG ${size}x${size}, corner 0, middle 1" ] || fail "the ${size}x${size} icon is $found"
  done
  [ "$failures" -ne "$before" ] || ok "the icons are PNGs of 32, 64, 128 and 256 pixels, clear at the corners"
}

# launcher_fails WHAT TEXT COMMAND...: breaks the unpacked tree with COMMAND; its
# launcher must then end at once with exit code 1 and one line saying TEXT.
launcher_fails() {
  local what=$1 text=$2 code=0
  shift 2
  "$@"
  $as_player timeout 10 "$work/tree/usr/games/vexar" >"$work/out" 2>"$work/err" || code=$?
  if [ "$code" -ne 1 ] || [ -s "$work/out" ] || [ "$(wc -l <"$work/err")" -ne 1 ] ||
    ! grep -q "^vexar: .*$text" "$work/err"; then
    fail "$what: exit code $code, stdout '$(cat "$work/out")', stderr '$(cat "$work/err")'"
  else
    ok "$what: exit code 1, stderr: $(cat "$work/err")"
  fi
}

check_desktop_entry() {
  local entry=/usr/share/applications/$APP_ID.desktop command found
  desktop-file-validate "$entry" && ok "desktop-file-validate $entry" || fail "desktop-file-validate $entry"
  command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  found=$(env -i PATH="$PLAYER_PATH" sh -c 'command -v "$0"' "$command" || true)
  [ "$found" = /usr/games/vexar ] && ok "Exec=$command is the launcher /usr/games/vexar on a player's PATH" ||
    fail "Exec=$command resolves to '$found' on PATH $PLAYER_PATH"
  [ "$(sed -n 's/^Icon=//p' "$entry")" = vexar ] || fail "the entry's icon is not vexar"
  check_icons /
}

# ends_with_0 WHAT: Escape was sent; the game must end within 10 s with exit code 0.
ends_with_0() {
  local waited=0 code=0
  while kill -0 "$GAME_PID" 2>/dev/null && [ $waited -lt 100 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  if kill -0 "$GAME_PID" 2>/dev/null; then
    fail "$1: still running 10 s after Escape"
    kill "$GAME_PID"
  fi
  wait "$GAME_PID" || code=$?
  GAME_PID=""
  [ $code -eq 0 ] && ok "$1: Escape ends it with exit code 0" || fail "$1: exit code $code after Escape"
}

# A grey desktop, so that a black screen is the game's own.
grey_desktop() {
  convert -size 640x480 xc:'#405060' "$work/desktop.png"
  display -window root "$work/desktop.png" 2>/dev/null || true
  expect 5 "a grey desktop" "px:5,5=405060"
}

# Started as the menu's entry says, through the launcher, with no sound device
# (ALSA's is not there): it plays, silent, says nothing on stderr, and its
# trace has the failed open.
plays_from_root() {
  local exec
  exec=$(sed -n 's/^Exec=//p' "/usr/share/applications/$APP_ID.desktop")
  (cd / && PATH=$PLAYER_PATH SDL_AUDIODRIVER=alsa AUDIODEV=nosuchdevice VEXAR_TRACE="$work/trace" \
    exec $exec) >"$shots/launcher.log" 2>"$shots/launcher.err" &
  GAME_PID=$!
  expect 60 "vexar, started from / through the launcher: the intro picture" \
    --save "$shots/installed-intro.ppm" "bmp:/usr/share/games/vexar/intro.bmp" || true
  expect 10 "then the start picture" "bmp:/usr/share/games/vexar/start.bmp" || true
  xdotool key Escape
  ends_with_0 "the game started through the launcher"
  [ -s "$shots/launcher.err" ] && fail "stderr without a sound device: $(cat "$shots/launcher.err")" ||
    ok "nothing on stderr without a sound device"
  grep -q '^host: no audio device (.*)$' "$work/trace" && ok "the trace has it: $(grep '^host: no audio' "$work/trace")" ||
    fail "the trace has no failed audio open"
}

# The game itself, /usr/lib/games/vexar/vexar, started from / finds no
# pictures: black screens where they would be, and the game plays on.
plays_black_without_launcher() {
  local i
  grey_desktop
  (cd / && exec /usr/lib/games/vexar/vexar) >"$shots/direct.log" 2>&1 &
  GAME_PID=$!
  expect 60 "/usr/lib/games/vexar/vexar, started from /: a black screen, no intro picture" \
    --save "$shots/direct-intro.ppm" "black:0,0,640,480" || true
  for i in $(seq 40); do
    xdotool key Return
    "$XPROBE" 0.25 "has:10,10,120,16=0000ff" 2>/dev/null && break
  done
  expect 5 "Enter on the black start screen starts a game: the HUD and the cannon" \
    --save "$shots/direct-play.ppm" "has:10,10,120,16=0000ff" "px:150,450=ffffff" || true
  xdotool key Escape
  ends_with_0 "the game started without the launcher"
}

# check_nothing_left DEB: no file or folder of the package is on disk.
check_nothing_left() {
  local entry left=0 count=0
  dpkg-query -W vexar >/dev/null 2>&1 && fail "dpkg still knows vexar: $(dpkg-query -W vexar)"
  while read -r entry; do
    entry=/${entry#./}
    # Folders such as /usr/share are shared; those named for the game are its own.
    case "$entry" in */) [[ "$entry" == *vexar* ]] || continue ;; esac
    count=$((count + 1))
    if [ -e "$entry" ] || [ -L "$entry" ]; then
      fail "left after removal: $entry"
      left=$((left + 1))
    fi
  done < <(dpkg-deb --fsys-tarfile "$1" | tar -t)
  if [ "$left" -eq 0 ]; then ok "nothing of vexar is left: its $count files and folders are gone"; fi
}

# check_windows_exe EXE VERSION: vexar.exe needs no DLL that Windows lacks,
# and carries its icon and its version for Explorer.
check_windows_exe() {
  local dump dlls extra before
  dump=$(x86_64-w64-mingw32-objdump -p "$1")
  dlls=$(echo "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr A-Z a-z | sort)
  extra=$(echo "$dlls" | grep -vxE '(kernel32|user32|gdi32|ddraw|dinput|dsound|wsock32|winmm|msvcrt)\.dll' || true)
  if [ -z "$extra" ]; then
    ok "vexar.exe imports only Windows' own DLLs: $(echo $dlls)"
  else
    fail "vexar.exe imports DLLs that Windows lacks: $(echo $extra)"
  fi
  # Resource type 14 is an icon group.
  before=$failures
  echo "$dump" | sed -n '/Resource Directory section/,$p' | grep -q 'Entry: ID: 0x00000e' ||
    fail "vexar.exe has no icon"
  [ "$(strings -el "$1" | grep -x -A1 ProductVersion | tail -n 1)" = "$2" ] ||
    fail "vexar.exe does not say it is version $2"
  [ "$failures" -ne "$before" ] || ok "vexar.exe carries its icon and version $2"
}
