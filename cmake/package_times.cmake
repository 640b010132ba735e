# Run by CPack once the files are installed into its staging folder, before
# it packs them: every file and folder gets the time SOURCE_DATE_EPOCH says
# and the permissions the install rules gave it, whatever the build's umask.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  return()
endif()
if(NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH is a number of seconds, not \"$ENV{SOURCE_DATE_EPOCH}\"")
endif()
foreach(command "find;.;-type;d;-exec;chmod;755;{};+"
                "find;.;-exec;touch;-h;-d;@$ENV{SOURCE_DATE_EPOCH};{};+")
  execute_process(COMMAND ${command} WORKING_DIRECTORY ${CPACK_TEMPORARY_DIRECTORY}
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
