# A zip with the same bytes whenever it is made from the same files: the files
# in the order given, each with the time SOURCE_DATE_EPOCH says (the commit's)
# and permissions 644, no owner and no time of the machine's in extra fields.
# Usage: cmake -DZIP=OUT.zip -DDIR=FOLDER [-DFILES="a;b;..."] -P cmake/reproducible_zip.cmake
#   FILES are relative to DIR; without it, every file under DIR, sorted.
# The files are copied to a staging folder first, so that those of the build
# keep their own times.
foreach(var ZIP DIR)
  if(NOT ${var})
    message(FATAL_ERROR "reproducible_zip: -D${var}=... is missing")
  endif()
endforeach()
if(NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
  message(FATAL_ERROR "reproducible_zip: SOURCE_DATE_EPOCH is not a number of seconds: \"$ENV{SOURCE_DATE_EPOCH}\"")
endif()
find_program(ZIP_PROGRAM zip)
if(NOT ZIP_PROGRAM)
  message(FATAL_ERROR "reproducible_zip: zip is missing (apt-get install zip)")
endif()
get_filename_component(ZIP "${ZIP}" ABSOLUTE)
get_filename_component(DIR "${DIR}" ABSOLUTE)
if(NOT DEFINED FILES)
  file(GLOB_RECURSE FILES LIST_DIRECTORIES false RELATIVE "${DIR}" "${DIR}/*")
  list(SORT FILES)
endif()

set(stage "${ZIP}.stage")
file(REMOVE_RECURSE "${stage}")
foreach(f IN LISTS FILES)
  if(NOT EXISTS "${DIR}/${f}" OR IS_DIRECTORY "${DIR}/${f}")
    message(FATAL_ERROR "reproducible_zip: ${DIR}/${f} is not a file")
  endif()
  get_filename_component(sub "${f}" DIRECTORY)
  file(COPY "${DIR}/${f}" DESTINATION "${stage}/${sub}"
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
execute_process(COMMAND touch -d @$ENV{SOURCE_DATE_EPOCH} ${FILES}
  WORKING_DIRECTORY "${stage}" COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE "${ZIP}")
# -X: no owner or extra times; -D: no folder entries; TZ: the DOS time is local.
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP_PROGRAM} -X -D -9 -q "${ZIP}" -- ${FILES}
  WORKING_DIRECTORY "${stage}" COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE "${stage}")
