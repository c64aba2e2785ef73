# The executable's version information, generated at configure time.
execute_process(COMMAND git rev-parse --short=12 HEAD
                WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                OUTPUT_VARIABLE LIMSBRIDGE_GIT_REVISION
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT LIMSBRIDGE_GIT_REVISION)
  set(LIMSBRIDGE_GIT_REVISION "unknown")
endif()
configure_file(${CMAKE_SOURCE_DIR}/cmake/VersionInfo.h.in ${CMAKE_BINARY_DIR}/generated/VersionInfo.h @ONLY)
