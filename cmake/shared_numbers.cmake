# Writes OUTPUT, a JavaScript library for emscripten's --js-library, from the
# `constexpr int kName = value;` lines of HEADER (port/hosts/shared_numbers.h):
# the object VexarShared with those names and values, whole numbers. Any other
# line inside the namespace that is not a comment or blank stops the build.
file(STRINGS ${HEADER} lines)
set(body "")
set(inside OFF)
foreach(line IN LISTS lines)
  string(STRIP "${line}" line)
  if(line MATCHES "^namespace shared {")
    set(inside ON)
    continue()
  elseif(line MATCHES "^}  // namespace shared")
    set(inside OFF)
  endif()
  if(NOT inside OR line STREQUAL "" OR line MATCHES "^//")
    continue()
  endif()
  if(NOT line MATCHES "^constexpr int (k[A-Za-z0-9]+) = (-?[0-9]+);( *//.*)?$")
    message(FATAL_ERROR "${HEADER}: cannot read this line for vexar_shared.js:\n  ${line}")
  endif()
  string(APPEND body "    ${CMAKE_MATCH_1}: ${CMAKE_MATCH_2},\n")
endforeach()
if(body STREQUAL "")
  message(FATAL_ERROR "${HEADER}: no numbers found for vexar_shared.js")
endif()
file(WRITE ${OUTPUT} "// Written by cmake/shared_numbers.cmake from port/hosts/shared_numbers.h.
mergeInto(LibraryManager.library, {
  $VexarShared: {
${body}  },
});
")