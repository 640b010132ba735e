# The same bytes from the same commit, wherever and whenever it is built: no
# source or build folder in the objects (file names in debug information and
# __FILE__), no link time in vexar.exe. The packages take their files' times
# from SOURCE_DATE_EPOCH (cmake/package.cmake).
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
if(WIN32)
  add_link_options(-Wl,--no-insert-timestamp)
endif()
