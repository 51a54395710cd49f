# Writes a section 1 manual page from a program's --help text, compressed for installation.
# cmake -DPROGRAM=<path> -DNAME=<name> -DSUMMARY=<one line> -DDESCRIPTION=<paragraph>
#       -DVERSION=<x.y> -DSEE_ALSO=<name;name> -DOUTPUT=<file.1.gz> -P ManPage.cmake
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${PROGRAM} --help
  OUTPUT_VARIABLE help RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0 OR help STREQUAL "")
  message(FATAL_ERROR "${NAME} --help failed (${result}): ${errors}")
endif()

# roff: backslashes and minus signs escaped; a line must not start with a control character.
function(roff_escape text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Qt's parser names the program by the path it was started from.
string(REPLACE "${PROGRAM}" "${NAME}" help "${help}")
string(STRIP "${help}" help)
roff_escape("${help}" help)
roff_escape("${NAME}" name)
roff_escape("${SUMMARY}" summary)
roff_escape("${DESCRIPTION}" description)
string(TOUPPER "${name}" title)

set(page ".TH ${title} 1 \"\" \"Ostrivane ${VERSION}\" \"User Commands\"\n")
string(APPEND page ".SH NAME\n${name} \\- ${summary}\n")
string(APPEND page ".SH DESCRIPTION\n${description}\n")
string(APPEND page ".SH OPTIONS\n.nf\n${help}\n.fi\n")
if(NOT help MATCHES "\\\\-\\\\-version")
  string(APPEND page ".TP\n.B \\-\\-version\nPrint the version and exit.\n")
endif()
string(APPEND page ".SH SEE ALSO\n")
set(separator "")
foreach(other IN LISTS SEE_ALSO)
  roff_escape("${other}" other)
  string(APPEND page "${separator}.BR ${other} (1)")
  set(separator ",\n")
endforeach()
string(APPEND page "\n.PP\nThe installer's guide, task by task with pictures of the window: \\fIguide.md\\fR in \
Ostrivane's documentation folder (\\fI/usr/share/doc/ostrivane/\\fR when installed from the \
Debian package, \\fIdocs/\\fR in the source tree).\n")

get_filename_component(folder "${OUTPUT}" DIRECTORY)
string(REGEX REPLACE "\\.gz$" "" plain "${OUTPUT}")
file(WRITE "${plain}" "${page}")
execute_process(COMMAND gzip -9nf "${plain}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "gzip failed for ${plain}")
endif()
