# Run by CPack on the staged files before it writes the .deb (other generators pass by).
if(NOT CPACK_GENERATOR STREQUAL "DEB")
    return()
endif()
# The manual page names the files where the build was configured to install them.
if(NOT CPACK_ZARVO_INSTALL_PREFIX STREQUAL "/usr")
    message(FATAL_ERROR "The Debian package installs under /usr: configure the build with "
                        "-DCMAKE_INSTALL_PREFIX=/usr (it has ${CPACK_ZARVO_INSTALL_PREFIX})")
endif()

# Time: CPack's DEB writer gives every archive member, and the ar headers, the time
# SOURCE_DATE_EPOCH names; without it, the time of packing. The commit's time stands in for it,
# so `cpack -G DEB` alone packs the same commit into the same bytes.
if(NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
    execute_process(COMMAND git -C "${CPACK_ZARVO_SOURCE_DIR}" log -1 --format=%ct
        OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT epoch MATCHES "^[0-9]+$")
        message(FATAL_ERROR "No time for the packed files: set SOURCE_DATE_EPOCH "
                            "(or pack from a git checkout)")
    endif()
    set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()

# Depends: dpkg-shlibdeps on every dynamically linked file. Run here rather than by CPack, whose
# own run also adds ldconfig calls to the maintainer scripts for any library under /usr/lib, ours
# in lib/zarvo-neon/ and lib/frei0r-1/ included, which ldconfig never reads. The libraries of
# lib/zarvo-neon/ are found through the binaries' $ORIGIN run paths, as part of this package.
set(staged "${CPACK_TEMPORARY_DIRECTORY}")
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${staged}" "${staged}/*")
set(linked "")
foreach(file IN LISTS files)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C file -b "${staged}/${file}"
        OUTPUT_VARIABLE type RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "file could not read ${file}")
    endif()
    if(type MATCHES "^ELF.*dynamically linked")
        list(APPEND linked "./${file}")
    endif()
endforeach()
# dpkg-shlibdeps wants a source package's control file, and a DEBIAN folder (above the files it
# is given) to know where the package's root is when it follows $ORIGIN.
file(WRITE "${staged}/debian/control" "")
file(MAKE_DIRECTORY "${staged}/DEBIAN")
execute_process(COMMAND dpkg-shlibdeps -O ${linked}
    WORKING_DIRECTORY "${staged}"
    OUTPUT_VARIABLE shlibdeps ERROR_VARIABLE shlibdeps_error RESULT_VARIABLE failed
    OUTPUT_STRIP_TRAILING_WHITESPACE)
file(REMOVE_RECURSE "${staged}/debian" "${staged}/DEBIAN")
if(failed OR NOT shlibdeps MATCHES "shlibs:Depends=([^\n]+)")
    message(FATAL_ERROR "dpkg-shlibdeps failed on ${linked}:\n${shlibdeps_error}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CPACK_DEBIAN_PACKAGE_DEPENDS}, ${CMAKE_MATCH_1}")
# Our own library has no version in its name, as a private one needs none.
string(REGEX REPLACE "[^\n]*from library name 'libzarvo_win32.so'\n?" "" shlibdeps_error
       "${shlibdeps_error}")
if(shlibdeps_error)
    message(WARNING "${shlibdeps_error}")
endif()
