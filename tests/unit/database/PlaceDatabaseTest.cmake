# A rebuild writes a new shipped database beside the program; the program's
# database, holding the user's data, must come through it byte for byte, and
# one that is missing must be laid down from the shipped file.
#
#   cmake -DMKDB=<mkdb> -DPLACE=<PlaceDatabase.cmake> -DFOLDER=<scratch folder>
#         -DDATABASE_NAME=<name> -DSHIPPED_NAME=<name> -P PlaceDatabaseTest.cmake
file(REMOVE_RECURSE "${FOLDER}")
file(MAKE_DIRECTORY "${FOLDER}")
set(database "${FOLDER}/${DATABASE_NAME}")
set(shipped "${FOLDER}/${SHIPPED_NAME}")

# The two build steps, run as the build runs them.
function(write_shipped)
  execute_process(COMMAND "${MKDB}" "${shipped}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "mkdb failed: ${rc}")
  endif()
endfunction()
function(place)
  execute_process(COMMAND "${CMAKE_COMMAND}" "-DSHIPPED=${shipped}" "-DDATABASE=${database}" -P "${PLACE}"
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "placing the database failed: ${rc}")
  endif()
endfunction()

# First build: no database yet.
write_shipped()
place()
if(NOT EXISTS "${database}")
  message(FATAL_ERROR "a missing database was not laid down")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${shipped}" "${database}" RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "the database laid down is not the shipped one")
endif()
# It will hold stored credentials: readable by its owner alone.
execute_process(COMMAND stat -c %a "${database}" OUTPUT_VARIABLE mode OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT mode STREQUAL "600")
  message(FATAL_ERROR "the database was laid down with mode ${mode}, not 600")
endif()

# The user's data goes in; then a rebuild writes a new shipped file. The
# cipher's salt is random, so the new one differs from the old in every page.
file(READ "${shipped}" first_shipped HEX)
file(APPEND "${database}" "the user's settings, credentials and usage log")
file(SHA256 "${database}" before)
write_shipped()
file(READ "${shipped}" second_shipped HEX)
if(first_shipped STREQUAL second_shipped)
  message(FATAL_ERROR "the rebuild did not write a new shipped file")
endif()
place()
file(SHA256 "${database}" after)
if(NOT before STREQUAL after)
  message(FATAL_ERROR "the rebuild changed the user's database")
endif()
if(EXISTS "${database}.partial")
  message(FATAL_ERROR "a partial copy was left behind")
endif()

# Removing the database and building again starts afresh from the new one.
file(REMOVE "${database}")
place()
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${shipped}" "${database}" RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "a removed database was not laid down again from the new shipped file")
endif()
