# The browser build as an installable app: the manifest's icons, and the
# service worker, whose cache is named by the version and a hash of the
# bundle's files, written once they are all built.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/vexar-192.png ${CMAKE_BINARY_DIR}/vexar-512.png
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons
  COMMAND ${VEXAR_MAKE_PICTURES} --icons ${CMAKE_BINARY_DIR}/icons
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/icons/vexar-192.png
          ${CMAKE_BINARY_DIR}/icons/vexar-512.png ${CMAKE_BINARY_DIR}
  DEPENDS ${VEXAR_MAKE_PICTURES_DEPENDS}
  COMMENT "Drawing the web app's icons")
# The pictures travel packed (tools/pack_picture.py); the page unpacks them.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(VEXAR_PACKED_PICTURES "")
foreach(name intro start cd)
  set(packed ${CMAKE_BINARY_DIR}/${name}.bmp.delta.gz)
  add_custom_command(OUTPUT ${packed}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/pack_picture.py
            ${CMAKE_BINARY_DIR}/${name}.bmp ${packed}
    DEPENDS ${CMAKE_BINARY_DIR}/${name}.bmp ${CMAKE_SOURCE_DIR}/tools/pack_picture.py
    COMMENT "Packing ${name}.bmp")
  list(APPEND VEXAR_PACKED_PICTURES ${packed})
endforeach()
add_custom_target(packed_pictures DEPENDS ${VEXAR_PACKED_PICTURES})
add_dependencies(packed_pictures pictures)
set(VEXAR_BUNDLE index.html manifest.webmanifest touch.js touch.css vexar.js vexar.wasm
  intro.bmp.delta.gz start.bmp.delta.gz cd.bmp.delta.gz vexar-192.png vexar-512.png)
list(JOIN VEXAR_BUNDLE "," VEXAR_BUNDLE)
add_custom_target(web_app ALL
  COMMAND ${CMAKE_COMMAND} -DDIR=${CMAKE_BINARY_DIR} "-DFILES=${VEXAR_BUNDLE}"
          -DVERSION=${PROJECT_VERSION}
          -DTEMPLATE=${CMAKE_SOURCE_DIR}/port/hosts/web/page/sw.js.in
          -P ${CMAKE_SOURCE_DIR}/cmake/web_sw.cmake
  DEPENDS vexar packed_pictures ${CMAKE_BINARY_DIR}/vexar-192.png ${CMAKE_BINARY_DIR}/vexar-512.png
  COMMENT "Writing sw.js")
