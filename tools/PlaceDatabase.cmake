# Lays the shipped database down as the program's database where the program
# folder has none yet. An existing one is the user's (settings, stored
# credentials, usage log) and is left exactly as it is.
#
#   cmake -DSHIPPED=<shipped file> -DDATABASE=<program's database> -P PlaceDatabase.cmake
foreach(var SHIPPED DATABASE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "PlaceDatabase.cmake needs -D${var}=...")
  endif()
endforeach()

if(EXISTS "${DATABASE}")
  return()
endif()
if(NOT EXISTS "${SHIPPED}")
  message(FATAL_ERROR "${SHIPPED} is missing")
endif()

# Copied under another name first, then renamed without replacing: a copy cut
# short is never taken for the database, and one that appeared meanwhile is
# kept.
set(partial "${DATABASE}.partial")
file(COPY_FILE "${SHIPPED}" "${partial}")
# It will hold the user's stored credentials: theirs alone from the start.
file(CHMOD "${partial}" PERMISSIONS OWNER_READ OWNER_WRITE)
file(RENAME "${partial}" "${DATABASE}" NO_REPLACE RESULT renamed)
# CMake renames without replacing by a hard link, which may leave the first
# name behind.
file(REMOVE "${partial}")
if(renamed STREQUAL "0")
  message(STATUS "Laid down ${DATABASE} from ${SHIPPED}")
elseif(NOT renamed STREQUAL "NO_REPLACE")
  message(FATAL_ERROR "cannot put ${DATABASE} in place: ${renamed}")
endif()
