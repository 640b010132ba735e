# The browser build's built-in font: Liberation Sans cut to the characters the
# game can draw (printable Latin-1 and Windows-1252's others), outlines and
# advances as they are. stb_truetype reads no hinting, so none is kept, nor
# FontForge's time stamp (FFTM).
set(VEXAR_FONT_FILE /usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf)
if(NOT EXISTS ${VEXAR_FONT_FILE})
  message(FATAL_ERROR "${VEXAR_FONT_FILE} is missing: install fonts-liberation2")
endif()
find_program(VEXAR_PYFTSUBSET pyftsubset)
if(NOT VEXAR_PYFTSUBSET)
  message(FATAL_ERROR "pyftsubset is missing: install fonttools")
endif()
set(VEXAR_FONT_CHARACTERS "U+0020-007E,U+00A0-00FF,U+0152-0153,U+0160-0161,U+0178,U+017D-017E,U+0192,U+02C6,U+02DC,U+2013-2014,U+2018-201A,U+201C-201E,U+2020-2022,U+2026,U+2030,U+2039-203A,U+20AC,U+2122")

# Writes DIR/LiberationSans-Regular.ttf, built by TARGET.
function(vexar_web_font target dir)
  set(font ${dir}/LiberationSans-Regular.ttf)
  add_custom_command(OUTPUT ${font}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${VEXAR_PYFTSUBSET} ${VEXAR_FONT_FILE} --unicodes=${VEXAR_FONT_CHARACTERS}
            --notdef-outline --no-hinting --drop-tables+=FFTM --output-file=${font}
    DEPENDS ${VEXAR_FONT_FILE}
    COMMENT "Cutting Liberation Sans to the game's characters"
    VERBATIM)
  add_custom_target(${target} DEPENDS ${font})
endfunction()
