# Run by CPack on its staging directory before it builds the package:
# compresses every man page with gzip -9n, as Debian packages carry them.
find_program(GZIP gzip REQUIRED)
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_DIRECTORY}/*/share/man/man*/*")
list(FILTER pages EXCLUDE REGEX "\\.gz$")
foreach(page IN LISTS pages)
  execute_process(COMMAND ${GZIP} -9nf "${page}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip ${page} failed")
  endif()
endforeach()
