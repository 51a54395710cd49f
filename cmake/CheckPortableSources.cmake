# Fails when a product source under SOURCE_DIR includes a POSIX or Windows socket header: the
# product reaches the network through Qt only, so that it builds on every desktop Qt supports.
# cmake -DSOURCE_DIR=<src> -P CheckPortableSources.cmake
set(forbidden
  "sys/socket\\.h" "sys/select\\.h" "sys/un\\.h" "netinet/[a-z_]+\\.h" "arpa/[a-z_]+\\.h"
  "netdb\\.h" "poll\\.h" "ifaddrs\\.h" "net/if\\.h"
  "winsock2?\\.h" "ws2[a-z]*\\.h" "iphlpapi\\.h" "mswsock\\.h")
list(JOIN forbidden "|" alternatives)
file(GLOB_RECURSE sources "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(offenders "")
foreach(source IN LISTS sources)
  file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](${alternatives})[>\"]")
  foreach(line IN LISTS lines)
    file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
    string(APPEND offenders "  ${shown}: ${line}\n")
  endforeach()
endforeach()
if(offenders)
  message(FATAL_ERROR
    "platform socket headers in the product sources, use Qt Network:\n${offenders}")
endif()
message(STATUS "no platform socket headers under ${SOURCE_DIR}")
