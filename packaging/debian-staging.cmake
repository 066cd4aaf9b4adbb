# Run by CPack on its staging directory before it builds the package: gives the
# files the form Debian packages carry them in. Man pages and the changelog are
# compressed with gzip -9n; the programs lose the compiler's .comment and .note
# sections, as dh_strip leaves them.
find_program(GZIP gzip REQUIRED)
find_program(STRIP strip REQUIRED)
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_DIRECTORY}/*/share/man/man*/*")
file(GLOB changelogs "${CPACK_TEMPORARY_DIRECTORY}/*/share/doc/*/changelog")
foreach(file IN LISTS pages changelogs)
  if(file MATCHES "\\.gz$")
    continue()
  endif()
  execute_process(COMMAND ${GZIP} -9nf "${file}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip ${file} failed")
  endif()
endforeach()
file(GLOB programs "${CPACK_TEMPORARY_DIRECTORY}/*/bin/*" "${CPACK_TEMPORARY_DIRECTORY}/*/lib/lingerjob/*")
foreach(program IN LISTS programs)
  execute_process(COMMAND ${STRIP} --remove-section=.comment --remove-section=.note "${program}"
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "strip ${program} failed")
  endif()
endforeach()
