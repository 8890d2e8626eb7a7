# Turns one manual page source (docs/man/NAME.txt) into the manual page in
# roff (section 1) and a C++ header that holds the source text as the
# program's --help text, so that the two cannot differ.
#
#   cmake -DSOURCE=docs/man/NAME.txt -DNAME=NAME -DVERSION=1.2
#         -DMAN=out/NAME.1 -DHEADER=out/help/NAME.h -P ManPage.cmake
#
# The source is plain ASCII text laid out as the help is printed:
#   - a line starting at column 0 in capitals ("SYNOPSIS", "EXIT STATUS")
#     starts a section;
#   - body lines are indented by 4 spaces; blank lines separate blocks;
#   - in NAME, the one line is "name - summary";
#   - in SYNOPSIS every line is kept as it stands;
#   - a block whose first line is indented by 4 and whose other lines are
#     indented by 8 is a tagged paragraph (an option, a file, an exit code):
#     the first line is the tag, the rest its text;
#   - a block of lines indented by 8 continues the tagged paragraph before;
#   - a block of lines indented by 4 is a paragraph of running text;
#   - a line indented by 6 is shown as it stands (an example, a file's
#     content), in any block.
# Lines are at most 79 characters, without tabs. A source that breaks these
# rules stops the build with the line's number.

cmake_minimum_required(VERSION 3.25)

foreach(var SOURCE NAME VERSION MAN HEADER)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "ManPage.cmake: -D${var}=... is missing")
  endif()
endforeach()

file(READ "${SOURCE}" text)
if(text MATCHES "[^\n -~]")
  message(FATAL_ERROR "${SOURCE}: only printable ASCII, blanks and line ends are allowed")
endif()
if(NOT text MATCHES "\n$")
  message(FATAL_ERROR "${SOURCE}: the last line has no line end")
endif()

# Lines as a CMake list: ";" and the brackets (which would group list
# elements) are replaced by placeholders while the text is a list, and put
# back line by line.
set(kSemi "@SEMICOLON@")
set(kOpen "@OPENBRACKET@")
set(kClose "@CLOSEBRACKET@")
string(REPLACE ";" "${kSemi}" escaped "${text}")
string(REPLACE "[" "${kOpen}" escaped "${escaped}")
string(REPLACE "]" "${kClose}" escaped "${escaped}")
string(REGEX REPLACE "\n$" "" escaped "${escaped}")
string(REPLACE "\n" ";" lines "${escaped}")

function(restore out line)
  string(REPLACE "${kSemi}" ";" line "${line}")
  string(REPLACE "${kOpen}" "[" line "${line}")
  string(REPLACE "${kClose}" "]" line "${line}")
  set(${out} "${line}" PARENT_SCOPE)
endfunction()

# Roff text of one line of running text: backslashes, dashes, quotes and the
# characters that a UTF-8 device would draw differently are escaped, and a
# leading "." or "'" cannot be read as a request.
function(roff out line)
  string(REPLACE "\\" "\\e" line "${line}")
  string(REPLACE "-" "\\-" line "${line}")
  string(REPLACE "'" "\\(aq" line "${line}")
  string(REPLACE "`" "\\(ga" line "${line}")
  string(REPLACE "~" "\\(ti" line "${line}")
  string(REPLACE "^" "\\(ha" line "${line}")
  if(line MATCHES "^[.]")
    set(line "\\&${line}")
  endif()
  set(${out} "${line}" PARENT_SCOPE)
endfunction()

# A tag: words that start with "-" in bold, the others (the values) in
# italics in OPTIONS and in bold elsewhere.
function(roff_tag out line section)
  string(REPLACE " " ";" words "${line}")
  set(result "")
  foreach(w IN LISTS words)
    roff(r "${w}")
    if(w MATCHES "^-" OR NOT section STREQUAL "OPTIONS")
      set(r "\\fB${r}\\fR")
    elseif(NOT w STREQUAL "")
      set(r "\\fI${r}\\fR")
    endif()
    string(APPEND result " ${r}")
  endforeach()
  string(REGEX REPLACE "^ " "" result "${result}")
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

# A block's first line waits for the second, which tells a tag from a
# paragraph; a block that ends after one line is a paragraph.
macro(flush_first)
  if(block STREQUAL "first")
    roff(t "${firstLine}")
    string(APPEND man ".PP\n${t}\n")
    set(block "para")
  endif()
endmacro()

string(TOUPPER "${NAME}" upperName)
set(man ".\\\" Generated from ${NAME}.txt by ManPage.cmake; edit the source, not this file.\n")
string(APPEND man ".TH ${upperName} 1 \"\" \"Brimfall companions ${VERSION}\" \"User Commands\"\n")
set(cpp "")

set(section "")
set(block "")       # "", "para", "tag" or "more": what the current block is
set(blockLine 0)    # lines of the current block so far
set(verbatim OFF)   # inside a verbatim run (.nf)
set(sawName OFF)
set(lineNo 0)
foreach(raw IN LISTS lines)
  math(EXPR lineNo "${lineNo} + 1")
  restore(line "${raw}")
  string(LENGTH "${line}" length)
  if(length GREATER 79)
    message(FATAL_ERROR "${SOURCE}:${lineNo}: longer than 79 characters")
  endif()
  # The C++ text: one literal piece per line.
  string(REPLACE "\\" "\\\\" c "${line}")
  string(REPLACE "\"" "\\\"" c "${c}")
  string(APPEND cpp "    \"${c}\\n\"\n")

  if(line MATCHES " $")
    message(FATAL_ERROR "${SOURCE}:${lineNo}: blanks at the end of the line")
  endif()
  if(line STREQUAL "")
    flush_first()
    if(verbatim)
      string(APPEND man ".fi\n.RE\n")
      set(verbatim OFF)
    endif()
    set(block "")
    set(blockLine 0)
    continue()
  endif()
  if(line MATCHES "^[A-Z][A-Z ]*$")
    flush_first()
    if(verbatim)
      string(APPEND man ".fi\n.RE\n")
      set(verbatim OFF)
    endif()
    set(section "${line}")
    set(block "")
    set(blockLine 0)
    string(APPEND man ".SH ${line}\n")
    if(section STREQUAL "SYNOPSIS")
      string(APPEND man ".nf\n")
    endif()
    continue()
  endif()
  if(section STREQUAL "")
    message(FATAL_ERROR "${SOURCE}:${lineNo}: text before the first section heading")
  endif()
  string(REGEX MATCH "^ *" indent "${line}")
  string(LENGTH "${indent}" indent)
  string(REGEX REPLACE "^ +" "" body "${line}")
  if(indent LESS 4)
    message(FATAL_ERROR "${SOURCE}:${lineNo}: body text is indented by 4 spaces or more")
  endif()
  math(EXPR blockLine "${blockLine} + 1")

  if(section STREQUAL "NAME")
    if(sawName OR NOT body MATCHES "^${NAME} - ")
      message(FATAL_ERROR "${SOURCE}:${lineNo}: NAME holds one line, \"${NAME} - summary\"")
    endif()
    set(sawName ON)
    roff(r "${body}")
    string(APPEND man "${r}\n")
    continue()
  endif()
  if(section STREQUAL "SYNOPSIS")
    roff(r "${body}")
    if(indent EQUAL 4)
      # The program's name in bold at the start of each form.
      string(REGEX REPLACE "^([a-z]+)" "\\\\fB\\1\\\\fR" r "${r}")
    else()
      # A continued form keeps its indent (no-fill mode keeps blanks).
      math(EXPR extra "${indent} - 4")
      string(REPEAT " " ${extra} pad)
      set(r "${pad}${r}")
    endif()
    string(APPEND man "${r}\n")
    continue()
  endif()
  if(NOT indent EQUAL 4 AND NOT indent EQUAL 6 AND NOT indent EQUAL 8)
    message(FATAL_ERROR "${SOURCE}:${lineNo}: indent by 4, 6 or 8 spaces")
  endif()

  if(indent EQUAL 6)
    flush_first()
    if(NOT verbatim)
      if(blockLine EQUAL 1)
        # After a blank line: the blank line.
        string(APPEND man ".sp\n")
      endif()
      string(APPEND man ".RS\n.nf\n")
      set(verbatim ON)
    endif()
    roff(r "${body}")
    string(APPEND man "${r}\n")
    continue()
  endif()
  if(verbatim)
    string(APPEND man ".fi\n.RE\n")
    set(verbatim OFF)
  endif()

  roff(r "${body}")
  if(section STREQUAL "SEE ALSO")
    string(REGEX REPLACE "([a-z]+)\\(1\\)" "\\\\fB\\1\\\\fR(1)" r "${r}")
  endif()
  if(blockLine EQUAL 1)
    if(indent EQUAL 8)
      set(block "more")
      string(APPEND man ".IP\n${r}\n")
    else()
      # A tag or a paragraph: known from the next line; the request is
      # written then. Keep the line.
      set(block "first")
      set(firstLine "${body}")
      set(firstNo ${lineNo})
    endif()
    continue()
  endif()
  if(block STREQUAL "first")
    if(indent EQUAL 8)
      set(block "tag")
      roff_tag(t "${firstLine}" "${section}")
      string(APPEND man ".TP\n${t}\n")
    else()
      set(block "para")
      roff(t "${firstLine}")
      string(APPEND man ".PP\n${t}\n")
    endif()
  elseif(block STREQUAL "para" AND NOT indent EQUAL 4)
    message(FATAL_ERROR "${SOURCE}:${lineNo}: a paragraph's lines are indented by 4")
  elseif((block STREQUAL "tag" OR block STREQUAL "more") AND NOT indent EQUAL 8)
    message(FATAL_ERROR "${SOURCE}:${lineNo}: the text of a tag is indented by 8")
  endif()
  string(APPEND man "${r}\n")
endforeach()
flush_first()
if(verbatim)
  string(APPEND man ".fi\n.RE\n")
endif()
if(NOT sawName)
  message(FATAL_ERROR "${SOURCE}: no NAME section")
endif()

string(MAKE_C_IDENTIFIER "${NAME}" id)
string(SUBSTRING "${id}" 0 1 first)
string(TOUPPER "${first}" first)
string(SUBSTRING "${id}" 1 -1 rest)
set(header "// Generated from docs/man/${NAME}.txt by cmake/ManPage.cmake; edit the source.\n")
string(APPEND header "#pragma once\n\nnamespace help {\n\n")
string(APPEND header "// What `${NAME} --help` prints: the text of its manual page.\n")
string(APPEND header "inline constexpr const char k${first}${rest}[] =\n${cpp};\n\n}  // namespace help\n")

# Written only when changed, so that a rebuild does not recompile the
# programs for nothing.
foreach(pair "MAN;man" "HEADER;header")
  list(GET pair 0 path)
  list(GET pair 1 content)
  set(old "")
  if(EXISTS "${${path}}")
    file(READ "${${path}}" old)
  endif()
  if(NOT old STREQUAL "${${content}}")
    file(WRITE "${${path}}" "${${content}}")
  endif()
endforeach()
