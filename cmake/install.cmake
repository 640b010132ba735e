# What `cmake --install` puts where, and so what the packages hold.
#   Linux, Debian's layout for games: the binary in games/, its pictures in
#   share/games/vexar/, a `vexar` launcher in bin/ that starts it there, the
#   desktop entry, the icon in the hicolor theme, the manual page, the README
#   and the licence.
#   Windows: vexar.exe with its pictures beside it and a text on how to play.
if(WIN32 OR CMAKE_SYSTEM_NAME STREQUAL "Linux")
  include(${CMAKE_CURRENT_LIST_DIR}/icon.cmake)
endif()

if(WIN32)
  install(TARGETS vexar RUNTIME DESTINATION .)
  install(FILES ${VEXAR_PICTURES} DESTINATION .)
  configure_file(packaging/README-windows.txt.in ${CMAKE_BINARY_DIR}/packaging/README.txt
    @ONLY NEWLINE_STYLE WIN32)
  configure_file(LICENSE ${CMAKE_BINARY_DIR}/packaging/LICENSE.txt NEWLINE_STYLE WIN32)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/README.txt ${CMAKE_BINARY_DIR}/packaging/LICENSE.txt
    DESTINATION .)
elseif(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  include(GNUInstallDirs)
  set(VEXAR_GAME_DIR games)
  set(VEXAR_DATA_DIR ${CMAKE_INSTALL_DATADIR}/games/vexar)
  install(TARGETS vexar RUNTIME DESTINATION ${VEXAR_GAME_DIR})
  install(FILES ${VEXAR_PICTURES} DESTINATION ${VEXAR_DATA_DIR})

  # The launcher finds the game and its pictures from where it is itself, so
  # the installed tree works under any prefix.
  file(RELATIVE_PATH VEXAR_BIN_TO_DATA /${CMAKE_INSTALL_BINDIR} /${VEXAR_DATA_DIR})
  file(RELATIVE_PATH VEXAR_BIN_TO_GAME /${CMAKE_INSTALL_BINDIR} /${VEXAR_GAME_DIR}/vexar)
  list(TRANSFORM VEXAR_PICTURE_NAMES APPEND ".bmp" OUTPUT_VARIABLE VEXAR_PICTURE_FILES)
  list(JOIN VEXAR_PICTURE_FILES " " VEXAR_PICTURE_FILES)
  configure_file(packaging/vexar.in ${CMAKE_BINARY_DIR}/packaging/vexar @ONLY)
  install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/vexar DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES packaging/vexar.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

  foreach(size ${VEXAR_ICON_SIZES})
    install(FILES ${CMAKE_BINARY_DIR}/icons/vexar-${size}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME vexar.png)
  endforeach()

  # The manual page, compressed as Debian keeps them.
  configure_file(packaging/vexar.6.in ${CMAKE_BINARY_DIR}/packaging/vexar.6 @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/vexar.6.gz
    COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/packaging/vexar.6
    DEPENDS ${CMAKE_BINARY_DIR}/packaging/vexar.6)
  add_custom_target(manual ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/vexar.6.gz)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/vexar.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

  install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
