# Every generated manual page renders without a single groff warning and has
# the sections a manual page of a program needs.
#   cmake -DMAN_DIR=build/man -DNAMES=a,b -DGROFF=groff -P CheckManPages.cmake
string(REPLACE "," ";" names "${NAMES}")
foreach(name IN LISTS names)
  set(page ${MAN_DIR}/${name}.1)
  if(NOT EXISTS ${page})
    message(FATAL_ERROR "${page} was not made")
  endif()
  execute_process(COMMAND ${GROFF} -ww -man -Tutf8 ${page}
                  OUTPUT_VARIABLE shown ERROR_VARIABLE warnings RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR NOT warnings STREQUAL "")
    message(FATAL_ERROR "${name}.1: groff ends with ${rc} and says:\n${warnings}")
  endif()
  file(READ ${page} roff)
  foreach(section NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" "SEE ALSO")
    string(FIND "${roff}" ".SH ${section}\n" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${name}.1 has no ${section} section")
    endif()
  endforeach()
  # Both answers are documented.
  foreach(option "\\-\\-help" "\\-\\-version")
    string(FIND "${roff}" "${option}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${name}.1 does not document ${option}")
    endif()
  endforeach()
endforeach()
