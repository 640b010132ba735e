# The browser build as an installable app: the manifest's icons, and the
# service worker, whose cache is named by the version and a hash of the
# bundle's files, written once they are all built.
# The page's own icon is the small one.
set(VEXAR_WEB_ICONS ${CMAKE_BINARY_DIR}/vexar-32.png ${CMAKE_BINARY_DIR}/vexar-192.png
  ${CMAKE_BINARY_DIR}/vexar-512.png)
add_custom_command(OUTPUT ${VEXAR_WEB_ICONS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons
  COMMAND ${VEXAR_MAKE_PICTURES} --icons ${CMAKE_BINARY_DIR}/icons
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/icons/vexar-32.png ${CMAKE_BINARY_DIR}/icons/vexar-192.png
          ${CMAKE_BINARY_DIR}/icons/vexar-512.png ${CMAKE_BINARY_DIR}
  DEPENDS ${VEXAR_MAKE_PICTURES_DEPENDS}
  COMMENT "Drawing the web app's icons")
# The pictures travel packed (tools/pack_picture.py); the page unpacks them.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(VEXAR_PACKED_PICTURES "")
set(VEXAR_PACKED_NAMES "")
foreach(name ${VEXAR_PICTURE_NAMES})
  set(packed ${CMAKE_BINARY_DIR}/${name}.bmp.delta.gz)
  add_custom_command(OUTPUT ${packed}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/pack_picture.py
            ${CMAKE_BINARY_DIR}/${name}.bmp ${packed}
    DEPENDS ${CMAKE_BINARY_DIR}/${name}.bmp ${CMAKE_SOURCE_DIR}/tools/pack_picture.py
    COMMENT "Packing ${name}.bmp")
  list(APPEND VEXAR_PACKED_PICTURES ${packed})
  list(APPEND VEXAR_PACKED_NAMES ${name}.bmp.delta.gz)
endforeach()
add_custom_target(packed_pictures DEPENDS ${VEXAR_PACKED_PICTURES})
add_dependencies(packed_pictures pictures)
# So does the program; the page unpacks it with the browser's DecompressionStream.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/vexar.wasm.gz ${CMAKE_BINARY_DIR}/vexar.js.gz
  COMMAND gzip -9 -n -k -f vexar.wasm vexar.js
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  DEPENDS vexar
  COMMENT "Packing vexar.wasm and vexar.js")
add_custom_target(packed_program DEPENDS ${CMAKE_BINARY_DIR}/vexar.wasm.gz ${CMAKE_BINARY_DIR}/vexar.js.gz)
# The bundle: every file a static host serves, each once, in build-web/. The
# list is written to web-bundle.txt, one name a line, for scripts/web.sh dist.
list(TRANSFORM VEXAR_WEB_ICONS REPLACE ".*/" "" OUTPUT_VARIABLE icon_names)
set(VEXAR_WEB_BUNDLE index.html manifest.webmanifest sw.js touch.js vexar.js.gz vexar.wasm.gz
  ${VEXAR_PACKED_NAMES} ${icon_names})
list(JOIN VEXAR_WEB_BUNDLE "\n" bundle_lines)
file(WRITE ${CMAKE_BINARY_DIR}/web-bundle.txt "${bundle_lines}\n")
# The service worker keeps the rest of the bundle, and names its cache by their hashes.
set(worker_files ${VEXAR_WEB_BUNDLE})
list(REMOVE_ITEM worker_files sw.js)
list(JOIN worker_files "," worker_files)
add_custom_target(web_app ALL
  COMMAND ${CMAKE_COMMAND} -DDIR=${CMAKE_BINARY_DIR} "-DFILES=${worker_files}"
          -DVERSION=${PROJECT_VERSION}
          -DTEMPLATE=${CMAKE_SOURCE_DIR}/port/hosts/web/page/sw.js.in
          -P ${CMAKE_SOURCE_DIR}/cmake/web_sw.cmake
  DEPENDS packed_program packed_pictures ${VEXAR_WEB_ICONS}
  COMMENT "Writing sw.js")
