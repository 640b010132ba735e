# The game's icon, drawn by the picture tool: PNGs for the desktop's menu on
# Linux, the pixels the SDL host sets as its window's icon, and on Windows an icon resource in vexar.exe, which Explorer shows,
# beside the version.
set(VEXAR_ICON_SIZES 32 64 128 256)
set(VEXAR_ICONS ${CMAKE_BINARY_DIR}/icons/vexar.ico ${CMAKE_BINARY_DIR}/icons/vexar-64.rgba.inc)
foreach(size ${VEXAR_ICON_SIZES})
  list(APPEND VEXAR_ICONS ${CMAKE_BINARY_DIR}/icons/vexar-${size}.png)
endforeach()
add_custom_command(OUTPUT ${VEXAR_ICONS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons
  COMMAND ${VEXAR_MAKE_PICTURES} --icons ${CMAKE_BINARY_DIR}/icons
  DEPENDS ${VEXAR_MAKE_PICTURES_DEPENDS}
  COMMENT "Drawing the icon")
add_custom_target(icons ALL DEPENDS ${VEXAR_ICONS})

if(TARGET port AND NOT EMSCRIPTEN)
  target_include_directories(port PRIVATE ${CMAKE_BINARY_DIR}/icons)
  add_dependencies(port icons)
endif()

if(WIN32)
  enable_language(RC)
  set(VEXAR_ICO ${CMAKE_BINARY_DIR}/icons/vexar.ico)
  configure_file(packaging/vexar.rc.in ${CMAKE_BINARY_DIR}/icons/vexar.rc @ONLY)
  target_sources(vexar PRIVATE ${CMAKE_BINARY_DIR}/icons/vexar.rc)
  set_source_files_properties(${CMAKE_BINARY_DIR}/icons/vexar.rc
    PROPERTIES OBJECT_DEPENDS ${VEXAR_ICO})
  add_dependencies(vexar icons)
endif()
