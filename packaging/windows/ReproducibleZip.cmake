# Run by CPack on each package it made, before copying it to the build folder. CMake's archive
# writer stores each file's change time (which nothing can set) and owner, in the order the
# staging folder lists them; Debian's strip-nondeterminism rewrites those fields to one time,
# SOURCE_DATE_EPOCH (else the commit's time), and sorts the entries, so that the same commit packs
# into the same bytes wherever and whenever it is built.
set(epoch "$ENV{SOURCE_DATE_EPOCH}")
if(epoch STREQUAL "")
    execute_process(COMMAND git -C "${CPACK_ZARVO_SOURCE_DIR}" log -1 --format=%ct
        OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "No time for the packed files: set SOURCE_DATE_EPOCH "
                        "(or pack from a git checkout)")
endif()
find_program(strip_nondeterminism strip-nondeterminism)
if(NOT strip_nondeterminism)
    message(FATAL_ERROR "strip-nondeterminism not found: install Debian's strip-nondeterminism")
endif()
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    execute_process(COMMAND ${strip_nondeterminism} --type zip --timestamp ${epoch} ${package}
        RESULT_VARIABLE stripped)
    if(NOT stripped EQUAL 0)
        message(FATAL_ERROR "strip-nondeterminism failed on ${package}")
    endif()
endforeach()
