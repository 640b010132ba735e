# The port in the browser build (emscripten): the web host instead of SDL,
# stb_image and stb_truetype instead of SDL's BMP loader, FreeType and
# fontconfig, and the page that loads the program (port/hosts/web/page/).
include(${CMAKE_SOURCE_DIR}/cmake/web_font.cmake)
vexar_web_font(web_font ${CMAKE_BINARY_DIR}/fonts)
if(NOT EXISTS /usr/include/stb/stb_image.h)
  message(FATAL_ERROR "/usr/include/stb/stb_image.h is missing: install libstb-dev")
endif()

list(REMOVE_ITEM PORT_SOURCES ${PORT_DESKTOP_ONLY}
  ${CMAKE_CURRENT_SOURCE_DIR}/src/entry_web.cpp ${CMAKE_CURRENT_SOURCE_DIR}/hosts/headless/headless_host.cpp)
add_library(port STATIC ${PORT_SOURCES})
# Debian's stb headers, as system headers: their own code is not ours to warn about.
target_include_directories(port SYSTEM PRIVATE /usr/include/stb)
target_compile_definitions(port PRIVATE VEXAR_FONT_DIR="/fonts")
# WebAssembly's bulk memory operations (every engine since 2021): the port's
# fills and copies of whole pictures become single memory.fill and memory.copy
# instructions instead of loops over bytes and calls out to JavaScript.
target_compile_options(port PRIVATE -mbulk-memory)

set(VEXAR_WEB_ASYNC_IMPORTS vexar_web_wait_frame vexar_web_wait_event vexar_web_message_box vexar_web_yield)
list(JOIN VEXAR_WEB_ASYNC_IMPORTS "," VEXAR_WEB_ASYNC_IMPORTS)
# Only the functions that can be on the stack in those waits are instrumented:
# the host's waits, the port's Flip, message waits and message box, and their
# callers up to main (the game's loop, the set-up boxes, the boxes shown before
# main, which main shows: the runtime cannot pause in a global constructor);
# and the page's turns in the game's start: before each surface (CreateSurface,
# from main's set-up and the scenes' Init through LoadSprite) and before the
# first frame (the web host's Present, from Flip). Pictures reloaded in the
# game's loop (through the frame callback) make no surface. Calls through the
# host table, the DirectDraw interfaces and the frame callback are not followed
# by the analysis: a new wait elsewhere must be added here.
#
# The list is checked at every link against what emscripten reports (the link
# runs through cmake/web_link.sh): a name of VEXAR_WEB_ASYNC_FUNCTIONS that
# matches no function fails the build. The optimiser inlines the callers in
# VEXAR_WEB_ASYNC_INLINED into main today; they are listed as well, so that a
# change in what gets inlined keeps every caller instrumented, and their
# misses are expected: the launcher drops emscripten's warning for them.
set(VEXAR_WEB_ASYNC_FUNCTIONS main MessageBoxA* *::WaitFor*
  *Surface::Flip* *WaitVerticalBlank* *::WaitEvent* *ShowMessageBox*
  *DirectDrawObject::CreateSurface* *web::*Present* *::LetSystemRun*
  *IntroScene::Init* *ObjectPool::Init*)
set(VEXAR_WEB_ASYNC_INLINED WinMain* *GameMain* *Engine::Create* *Engine::RunLoop* *Engine::WaitForFrame*
  *Display::SetUp* *Display::Flip* *ShowSetUpError*
  *Display::CreateSurfaces* *Engine::LoadSprite* *Sprite::Load* *LoadBitmapSurface*
  *CreateOffscreenSurface* GetMessageA* WaitMessage* MsgWaitForMultipleObjects*)
set(VEXAR_WEB_ASYNC_LIST ${CMAKE_CURRENT_BINARY_DIR}/asyncify-only.json)
set(VEXAR_WEB_ASYNC_MAY_MISS ${CMAKE_CURRENT_BINARY_DIR}/asyncify-may-miss.txt)
list(JOIN VEXAR_WEB_ASYNC_INLINED "\n" may_miss)
file(WRITE ${VEXAR_WEB_ASYNC_MAY_MISS} "${may_miss}\n")
list(APPEND VEXAR_WEB_ASYNC_FUNCTIONS ${VEXAR_WEB_ASYNC_INLINED})
list(JOIN VEXAR_WEB_ASYNC_FUNCTIONS "\", \"" VEXAR_WEB_ASYNC_FUNCTIONS)
file(WRITE ${VEXAR_WEB_ASYNC_LIST} "[\"${VEXAR_WEB_ASYNC_FUNCTIONS}\"]\n")
# The program (vexar, in the top directory) links through the check.
set(CMAKE_CXX_LINKER_LAUNCHER bash ${CMAKE_SOURCE_DIR}/cmake/web_link.sh ${VEXAR_WEB_ASYNC_MAY_MISS}
  PARENT_SCOPE)

# The numbers the C++ and the page's JavaScript share, from their one source.
set(VEXAR_SHARED_JS ${CMAKE_CURRENT_BINARY_DIR}/vexar_shared.js)
add_custom_command(OUTPUT ${VEXAR_SHARED_JS}
  COMMAND ${CMAKE_COMMAND} -DHEADER=${CMAKE_CURRENT_SOURCE_DIR}/hosts/shared_numbers.h
          -DOUTPUT=${VEXAR_SHARED_JS} -P ${CMAKE_SOURCE_DIR}/cmake/shared_numbers.cmake
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/hosts/shared_numbers.h ${CMAKE_SOURCE_DIR}/cmake/shared_numbers.cmake
  COMMENT "Writing vexar_shared.js from shared_numbers.h")
add_custom_target(shared_numbers_js DEPENDS ${VEXAR_SHARED_JS})

# The program's memory, in 64 KiB pages: what the game takes up to its first
# frame and in play fits the first size. The page makes the memory itself
# (index.html), so that it can touch it while the downloads run.
set(VEXAR_WEB_MEMORY_PAGES 256)
set(VEXAR_WEB_MEMORY_MAX_PAGES 32768)
math(EXPR memory_bytes "${VEXAR_WEB_MEMORY_PAGES} * 65536")
math(EXPR memory_max_bytes "${VEXAR_WEB_MEMORY_MAX_PAGES} * 65536")

add_library(port_main STATIC src/entry_web.cpp)
target_link_libraries(port_main PUBLIC port)
add_dependencies(port_main web_font shared_numbers_js)
target_link_options(port_main INTERFACE -mbulk-memory
  -sASYNCIFY "-sASYNCIFY_IMPORTS=[${VEXAR_WEB_ASYNC_IMPORTS}]" -sASYNCIFY_ONLY=@${VEXAR_WEB_ASYNC_LIST}
  -sEXIT_RUNTIME=1 -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web -sIMPORTED_MEMORY=1
  -sINITIAL_MEMORY=${memory_bytes} -sMAXIMUM_MEMORY=${memory_max_bytes}
  -sMODULARIZE=1 -sEXPORT_NAME=createVexar
  -sFORCE_FILESYSTEM=1 "-sEXPORTED_RUNTIME_METHODS=[FS,ENV,addRunDependency,removeRunDependency,callMain]"
  "SHELL:--js-library ${VEXAR_SHARED_JS}"
  "SHELL:--js-library ${CMAKE_CURRENT_SOURCE_DIR}/hosts/web/web_host.js"
  "SHELL:--js-library ${CMAKE_CURRENT_SOURCE_DIR}/hosts/web/web_pads.js"
  "SHELL:--embed-file ${CMAKE_BINARY_DIR}/fonts/LiberationSans-Regular.ttf@/fonts/LiberationSans-Regular.ttf")
set_property(TARGET port_main APPEND PROPERTY INTERFACE_LINK_DEPENDS
  ${VEXAR_SHARED_JS} ${CMAKE_CURRENT_SOURCE_DIR}/hosts/web/web_host.js ${CMAKE_CURRENT_SOURCE_DIR}/hosts/web/web_pads.js
  ${CMAKE_BINARY_DIR}/fonts/LiberationSans-Regular.ttf ${VEXAR_WEB_ASYNC_LIST})

# The page, beside the program and its pictures.
file(GLOB VEXAR_PAGE_FILES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/hosts/web/page/*)
list(FILTER VEXAR_PAGE_FILES EXCLUDE REGEX "\\.in$")
# index.html downloads the pictures by the names the build gives them.
list(TRANSFORM VEXAR_PICTURE_NAMES APPEND ".bmp" OUTPUT_VARIABLE VEXAR_PAGE_PICTURES)
list(JOIN VEXAR_PAGE_PICTURES "\", \"" VEXAR_PAGE_PICTURES)
foreach(page_file ${VEXAR_PAGE_FILES})
  get_filename_component(name ${page_file} NAME)
  if(name STREQUAL "index.html")
    configure_file(${page_file} ${CMAKE_BINARY_DIR}/${name} @ONLY)
  else()
    configure_file(${page_file} ${CMAKE_BINARY_DIR}/${name} COPYONLY)
  endif()
endforeach()
