# The converter of the manual page sources (cmake/ManPage.cmake) on a page of
# the characters that roff and C++ take specially, and on broken sources.
#   cmake -DCONVERTER=... -DDATA=tests/docs/data -DOUT=dir -DGROFF=groff -P ManPageConverter.cmake

function(convert name out result)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${DATA}/${name}.txt -DNAME=tricky -DVERSION=9.8
            -DMAN=${OUT}/${name}.1 -DHEADER=${OUT}/${name}.h -P ${CONVERTER}
    RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_QUIET)
  set(${out} "${err}" PARENT_SCOPE)
  set(${result} "${rc}" PARENT_SCOPE)
endfunction()

function(expect_in text part what)
  string(FIND "${text}" "${part}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${what} lacks \"${part}\":\n${text}")
  endif()
endfunction()

# The good page: roff without warnings that shows every character as
# written, and a C++ text that is the source.
convert(tricky err rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the converter refused a good page: ${err}")
endif()
execute_process(COMMAND ${GROFF} -ww -man -Tutf8 -P-cbou ${OUT}/tricky.1
                OUTPUT_VARIABLE shown ERROR_VARIABLE warnings RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "groff warns about the page (${rc}):\n${warnings}")
endif()
# Drawn as plain ASCII: the UTF-8 device's quotes and dashes would differ.
string(REGEX REPLACE "\n *" " " flat "${shown}")
string(REGEX REPLACE "  +" " " flat "${flat}")
foreach(part "tricky [-a] [--long-option VALUE] [x;y]" "[continued form]"
             ".starts with a dot, and 'starts with a quote' below:"
             "'quoted' text with a back\\slash, \"double quotes\", a semi;colon,"
             "an [open bracket and a close] bracket, a ~tilde, a ^caret, a `grave."
             "-a, --long-option VALUE" "Its text, with -x and --y inside."
             "A second paragraph of the same option." "A paragraph after the options."
             ".verbatim line one" "back\\slash kept apart" "vardobf(1)" "Brimfall companions 9.8")
  expect_in("${flat}" "${part}" "the rendered page")
endforeach()
# Verbatim lines keep their spacing.
expect_in("${shown}" "back\\slash  kept  apart" "the rendered page")
file(READ ${OUT}/tricky.h header)
expect_in("${header}" "inline constexpr const char kTricky[] =" "the header")
expect_in("${header}" "\"    'quoted' text with a back\\\\slash, \\\"double quotes\\\", a semi;colon,\\n\""
          "the header")

# Broken sources stop the build with the line at fault.
foreach(case "bad-indent;:5: body text" "too-long;:5: longer than 79"
             "not-ascii;only printable ASCII" "trailing-blank;:5: blanks at")
  list(GET case 0 name)
  list(GET case 1 message)
  convert(${name} err rc)
  if(rc EQUAL 0)
    message(FATAL_ERROR "the converter took the broken source ${name}.txt")
  endif()
  expect_in("${err}" "${message}" "the converter's complaint about ${name}.txt")
endforeach()
