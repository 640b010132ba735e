# What `cmake --install` puts where, and so what the packages hold.
#   Linux, Debian's layout for games: the `vexar` launcher in games/, the
#   binary it starts in lib/games/vexar/, its pictures in share/games/vexar/;
#   the desktop entry and the AppStream metainfo under the game's id, the
#   icon in the hicolor theme, the manual page in section 6, and in the
#   documents a player's README, the changelog and the copyright.
#   Windows: vexar.exe with its pictures beside it, the README and the licence.
# Build variables:
#   VEXAR_MAINTAINER           name <address> of whoever builds the packages
#   VEXAR_HOMEPAGE             the game's web page, for AppStream and the .deb
#   VEXAR_SCREENSHOT_URL_BASE  where docs/screenshots/ is published, for AppStream
if(WIN32 OR CMAKE_SYSTEM_NAME STREQUAL "Linux")
  include(${CMAKE_CURRENT_LIST_DIR}/icon.cmake)
endif()
include(${CMAKE_CURRENT_LIST_DIR}/changelog.cmake)

set(VEXAR_APP_ID io.github.vexar.vexar)
set(VEXAR_MAINTAINER "VEXAR developers <vexar@example.org>" CACHE STRING
  "The packages' maintainer, as: name <address>")
set(VEXAR_HOMEPAGE "" CACHE STRING "The game's web page (https://...), or empty")
set(VEXAR_SCREENSHOT_URL_BASE "" CACHE STRING
  "The URL under which docs/screenshots/ is published (https://...), or empty")
if(NOT VEXAR_MAINTAINER MATCHES "^[^<>]+ <[^<> ]+@[^<> ]+>$")
  message(FATAL_ERROR "VEXAR_MAINTAINER is \"name <address>\", not \"${VEXAR_MAINTAINER}\"")
endif()
foreach(url VEXAR_HOMEPAGE VEXAR_SCREENSHOT_URL_BASE)
  if(NOT ${url} STREQUAL "" AND NOT ${url} MATCHES "^https?://[^ <>\"&]+$")
    message(FATAL_ERROR "${url} is an http(s) URL or empty, not \"${${url}}\"")
  endif()
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/CHANGELOG.md)
vexar_read_changelog(${CMAKE_SOURCE_DIR}/CHANGELOG.md ${PROJECT_VERSION})

# The player's README: how to start the game, its keys, how to remove it.
if(WIN32)
  set(VEXAR_README_START [[
  Unzip everything into one folder and double-click vexar.exe. Keep
  intro.bmp, start.bmp and cd.bmp beside it: the game loads its pictures
  from the folder it starts in (for a shortcut, set "Start in" to this
  folder). The game takes the whole screen at 640 x 480; it needs DirectX 7
  or later, which every Windows since XP has.]])
  set(VEXAR_README_MORE_KEYS "")
  set(VEXAR_README_REMOVE "To remove the game, delete its folder: it writes nothing anywhere else.")
else()
  set(VEXAR_README_START [[
  Choose VEXAR among the games of the desktop's menu, or type vexar in a
  terminal. The game takes the whole screen, its 640 x 480 picture scaled
  to fit; "man 6 vexar" tells how to play in a window or scale otherwise.]])
  set(VEXAR_README_MORE_KEYS [[
  Alt+Enter, F11  full screen or a window, remembered for the next start

Game controllers
  The left stick or the pad moves the cannon, A or B (Cross or Circle)
  fires, Start starts a game, Back held for a second or pressed twice
  quits.
]])
  set(VEXAR_README_REMOVE [[
To remove the game, remove its package (apt remove vexar). The window's
size is kept in ~/.config/vexar/; delete that folder too to forget it.]])
endif()
configure_file(packaging/README.txt.in ${CMAKE_BINARY_DIR}/packaging/README.txt @ONLY)
if(WIN32)
  # Windows' line ends, the inserted paragraphs' too.
  file(RENAME ${CMAKE_BINARY_DIR}/packaging/README.txt ${CMAKE_BINARY_DIR}/packaging/README.lf.txt)
  configure_file(${CMAKE_BINARY_DIR}/packaging/README.lf.txt ${CMAKE_BINARY_DIR}/packaging/README.txt
    @ONLY NEWLINE_STYLE WIN32)
endif()

if(WIN32)
  install(TARGETS vexar RUNTIME DESTINATION .)
  install(FILES ${VEXAR_PICTURES} DESTINATION .)
  configure_file(LICENSE ${CMAKE_BINARY_DIR}/packaging/LICENSE.txt NEWLINE_STYLE WIN32)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/README.txt ${CMAKE_BINARY_DIR}/packaging/LICENSE.txt
    DESTINATION .)
elseif(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  include(GNUInstallDirs)
  set(VEXAR_LAUNCHER_DIR games)
  set(VEXAR_GAME_DIR lib/games/vexar)
  set(VEXAR_DATA_DIR ${CMAKE_INSTALL_DATADIR}/games/vexar)
  install(TARGETS vexar RUNTIME DESTINATION ${VEXAR_GAME_DIR})
  install(FILES ${VEXAR_PICTURES} DESTINATION ${VEXAR_DATA_DIR})

  # The launcher finds the game and its pictures from where it is itself, so
  # the installed tree works under any prefix.
  file(RELATIVE_PATH VEXAR_BIN_TO_DATA /${VEXAR_LAUNCHER_DIR} /${VEXAR_DATA_DIR})
  file(RELATIVE_PATH VEXAR_BIN_TO_GAME /${VEXAR_LAUNCHER_DIR} /${VEXAR_GAME_DIR}/vexar)
  list(TRANSFORM VEXAR_PICTURE_NAMES APPEND ".bmp" OUTPUT_VARIABLE VEXAR_PICTURE_FILES)
  list(JOIN VEXAR_PICTURE_FILES " " VEXAR_PICTURE_FILES)
  configure_file(packaging/vexar.in ${CMAKE_BINARY_DIR}/packaging/vexar @ONLY)
  install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/vexar DESTINATION ${VEXAR_LAUNCHER_DIR})
  install(FILES packaging/${VEXAR_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

  # The metainfo that software centres list the game by.
  set(VEXAR_METAINFO_URLS "")
  if(VEXAR_HOMEPAGE)
    set(VEXAR_METAINFO_URLS "  <url type=\"homepage\">${VEXAR_HOMEPAGE}</url>\n")
  endif()
  set(VEXAR_METAINFO_SCREENSHOTS "")
  if(VEXAR_SCREENSHOT_URL_BASE)
    string(REGEX REPLACE "/$" "" base "${VEXAR_SCREENSHOT_URL_BASE}")
    set(VEXAR_METAINFO_SCREENSHOTS "  <screenshots>\n")
    set(shots play.png intro.png stats.png desktop-window.png)
    set(captions "Shooting down the falling discs" "The title" "The statistics after a game"
      "In a window on the desktop")
    foreach(i RANGE 3)
      list(GET shots ${i} file)
      list(GET captions ${i} caption)
      set(type "")
      if(i EQUAL 0)
        set(type " type=\"default\"")
      endif()
      string(APPEND VEXAR_METAINFO_SCREENSHOTS "    <screenshot${type}>\n"
        "      <caption>${caption}</caption>\n      <image>${base}/${file}</image>\n    </screenshot>\n")
    endforeach()
    string(APPEND VEXAR_METAINFO_SCREENSHOTS "  </screenshots>\n")
  endif()
  vexar_appstream_releases(VEXAR_METAINFO_RELEASES)
  set(VEXAR_METAINFO ${CMAKE_BINARY_DIR}/packaging/${VEXAR_APP_ID}.metainfo.xml)
  configure_file(packaging/${VEXAR_APP_ID}.metainfo.xml.in ${VEXAR_METAINFO} @ONLY)
  install(FILES ${VEXAR_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  foreach(size ${VEXAR_ICON_SIZES})
    install(FILES ${CMAKE_BINARY_DIR}/icons/vexar-${size}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME vexar.png)
  endforeach()

  # The manual page and the changelog, compressed as Debian keeps them.
  configure_file(packaging/vexar.6.in ${CMAKE_BINARY_DIR}/packaging/vexar.6 @ONLY)
  vexar_debian_changelog(${CMAKE_BINARY_DIR}/packaging/changelog "${VEXAR_MAINTAINER}")
  configure_file(packaging/copyright.in ${CMAKE_BINARY_DIR}/packaging/copyright @ONLY)
  set(compressed "")
  foreach(document vexar.6 changelog)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${document}.gz
      COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/packaging/${document}
      DEPENDS ${CMAKE_BINARY_DIR}/packaging/${document})
    list(APPEND compressed ${CMAKE_BINARY_DIR}/packaging/${document}.gz)
  endforeach()
  add_custom_target(manual ALL DEPENDS ${compressed})
  install(FILES ${CMAKE_BINARY_DIR}/packaging/vexar.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/README.txt DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME README)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz ${CMAKE_BINARY_DIR}/packaging/copyright
    DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
