# The Debian package (CPack DEB). In a build folder configured with
#   -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_BUILD_TYPE=Release -DZARVO_BUILD_TESTS=OFF
# `cpack -G DEB` writes zarvo-neon_<version>_amd64.deb: the command on the PATH with its module
# in /usr/lib/zarvo-neon/, the frei0r filter where ffmpeg and MLT look, the editors'
# descriptions, the manual page and the bash completion. The same commit packs into the same
# bytes: every staged file carries SOURCE_DATE_EPOCH (else the commit's time).

# What Debian asks of every package: its copyright, and a changelog compressed without a name or
# time in the gzip header.
set(zarvo_changelog ${CMAKE_BINARY_DIR}/share/doc/zarvo-neon/changelog.gz)
file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/debian/changelog zarvo_changelog_top LIMIT_COUNT 1)
if(NOT zarvo_changelog_top MATCHES "^zarvo-neon \\(${ZARVO_VERSION}\\) ")
    message(FATAL_ERROR "packaging/debian/changelog does not start with version ${ZARVO_VERSION}, "
                        "the effect's: add an entry for it")
endif()
find_program(ZARVO_GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${zarvo_changelog}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/share/doc/zarvo-neon
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${zarvo_changelog} -P ${CMAKE_SOURCE_DIR}/cmake/CommandOutput.cmake
            -- ${ZARVO_GZIP} -9n -c ${CMAKE_SOURCE_DIR}/packaging/debian/changelog
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/debian/changelog
    COMMENT "Compressing the Debian changelog"
    VERBATIM)
add_custom_target(zarvo_debian_changelog ALL DEPENDS ${zarvo_changelog})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/debian/copyright ${zarvo_changelog}
        DESTINATION share/doc/zarvo-neon COMPONENT command)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zarvo-neon)
set(CPACK_PACKAGE_VENDOR Zarvo)
set(CPACK_PACKAGE_CONTACT "Zarvo <packages@zarvo.test>")
set(CPACK_PACKAGE_VERSION ${ZARVO_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Zarvo <packages@zarvo.test>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://zarvo.test/neon)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "neon outline strokes along an image's alpha, on the GPU
Zarvo Neon draws glowing coloured outline strokes, like neon tubes, along the
edge of an image's alpha, inside or outside the shape, with OpenGL 3.3 (on the
GPU's driver, or on Mesa's llvmpipe where there is no GPU).
.
This package provides:
 - zarvo-neon, a command that renders images and image sequences through the
   effect module, with keyframed controls;
 - the effect as a frei0r filter (zarvo_neon) for ffmpeg and for MLT-based
   editors;
 - the filter's descriptions for Kdenlive and Shotcut.
")
# The Mesa drivers are loaded at run time (EGL's vendor library, the llvmpipe or GPU driver) and
# no binary names them; the libraries the binaries link are added by dpkg-shlibdeps, and the
# files' time is fixed, in PreBuild.cmake.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libegl-mesa0, libgl1-mesa-dri")
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/packaging/debian/PreBuild.cmake)
set(CPACK_ZARVO_SOURCE_DIR ${CMAKE_SOURCE_DIR})
set(CPACK_ZARVO_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
# xz keeps no time of its own (gzip's header would need care); binaries stripped as Debian's are.
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
