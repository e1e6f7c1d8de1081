# cmake -DSRC=... -DDST=... -P CopyIfMissing.cmake: copies SRC to DST only when DST does not exist.
if(NOT EXISTS "${DST}")
  configure_file("${SRC}" "${DST}" COPYONLY)
  message(STATUS "Staged the first save ${DST}")
endif()
