# CHANGELOG.md as the packages read it (cmake/changelog.cmake): the Debian
# changelog made from it is what dpkg-parsechangelog reads back, with the
# project's version and the release's date; files it cannot read stop with the
# line that is wrong.
# Usage: cmake -DSOURCE=DIR -DVERSION=X.Y.Z -DWORK=DIR -P changelog_test.cmake
include(${SOURCE}/cmake/changelog.cmake)
if(DEFINED CASE)
  # One bad file, read in a process of its own, since reading it stops.
  vexar_read_changelog(${CASE} 1.0.0)
  return()
endif()

set(failures 0)
# check WHAT PASSED: PASSED is a truth value.
macro(check what passed)
  if(${passed})
    message("ok: ${what}")
  else()
    message("FAIL: ${what}")
    math(EXPR failures "${failures} + 1")
  endif()
endmacro()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
vexar_read_changelog(${SOURCE}/CHANGELOG.md ${VERSION})
vexar_debian_changelog(${WORK}/changelog "A Packager <packager@example.org>")
foreach(field Version Maintainer Date Distribution)
  execute_process(COMMAND dpkg-parsechangelog -l ${WORK}/changelog --show-field ${field}
    OUTPUT_VARIABLE ${field} OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE code)
endforeach()
string(REGEX MATCH "^[0-9-]+" date_only "${VEXAR_RELEASE_DATE}")
execute_process(COMMAND date -u -d "${Date}" +%F OUTPUT_VARIABLE parsed_date OUTPUT_STRIP_TRAILING_WHITESPACE)
set(expected "${VERSION} A Packager <packager@example.org> ${VEXAR_RELEASE_DATE} unstable")
set(passed OFF)
if("${Version} ${Maintainer} ${parsed_date} ${Distribution}" STREQUAL "${expected}")
  set(passed ON)
endif()
check("dpkg-parsechangelog reads ${expected}" passed)
vexar_appstream_releases(releases)
string(FIND "${releases}" "    <release version=\"${VERSION}\" date=\"${VEXAR_RELEASE_DATE}\">" at)
set(passed OFF)
if(at EQUAL 0)
  set(passed ON)
endif()
check("the AppStream releases begin with ${VERSION} of ${VEXAR_RELEASE_DATE}" passed)

# Bad files: each stops the configuration, naming its fault.
set(good "# Changelog\n\n## 1.0.0 (2026-12-09)\n\n- An item\n  on two lines.\n")
set(cases
  "## 1.0 (2026-12-09)\n- An item\n|:1: a release is \"## VERSION (YYYY-MM-DD)\""
  "## 1.0.0 (2026-12-09)\n\n- An item\nnot indented\n|:4: neither an item"
  "## 1.0.0 (2026-12-09)\n\n- An item that goes on and on and on and on and on and on and on and on and on\n|:3: longer than 72 columns"
  "## 1.0.1 (2026-12-10)\n\n- Newer\n\n## 1.0.0 (2026-12-09)\n\n- Older\n|newest release is 1.0.1, the project's version is 1.0.0"
  "## 1.0.0 (2026-12-09)\n\n|release 1.0.0 has no item"
  "Nothing but words\n|has no release")
file(WRITE ${WORK}/good.md "${good}")
execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE=${SOURCE} -DCASE=${WORK}/good.md -P ${CMAKE_CURRENT_LIST_FILE}
  RESULT_VARIABLE code ERROR_VARIABLE err)
set(passed OFF)
if(code EQUAL 0)
  set(passed ON)
endif()
check("a good file with an item on two lines is read" passed)
set(n 0)
foreach(case IN LISTS cases)
  math(EXPR n "${n} + 1")
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 text)
  list(GET parts 1 says)
  string(REPLACE "\\n" "\n" text "${text}")
  file(WRITE ${WORK}/bad${n}.md "${text}")
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE=${SOURCE} -DCASE=${WORK}/bad${n}.md -P ${CMAKE_CURRENT_LIST_FILE}
    RESULT_VARIABLE code ERROR_VARIABLE err)
  string(REGEX REPLACE "[ \n]+" " " err "${err}")
  string(FIND "${err}" "${says}" at)
  set(passed OFF)
  if(NOT code EQUAL 0 AND NOT at EQUAL -1)
    set(passed ON)
  endif()
  check("bad file ${n} stops, saying: ${says}" passed)
endforeach()
if(failures GREATER 0)
  message(FATAL_ERROR "changelog test: ${failures} failed")
endif()
