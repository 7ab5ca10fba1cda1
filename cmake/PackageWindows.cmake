# What a Windows user installs: the module, the command and a README, as a zip (CPack) and as an
# NSIS installer. In a Windows build folder:
#   cpack -G ZIP                                 ZarvoNeon-<version>-win64.zip
#   cmake --build . --target zarvo_installer     ZarvoNeon-<version>-win64-setup.exe
# The zip holds one folder, ZarvoNeon-<version>-win64, and is the same bytes whenever the same
# commit is packed (packaging/windows/ReproducibleZip.cmake; needs strip-nondeterminism).
set(ZARVO_PACKAGE_FILE_NAME ZarvoNeon-${ZARVO_VERSION}-win64)
set(ZARVO_WINDOWS_README ${CMAKE_BINARY_DIR}/packaging/README.txt)
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/README.txt.in ${ZARVO_WINDOWS_README}
    @ONLY NEWLINE_STYLE CRLF)

install(TARGETS ZarvoNeon LIBRARY DESTINATION . COMPONENT windows)
install(TARGETS zarvo-neon RUNTIME DESTINATION . COMPONENT windows)
install(FILES ${ZARVO_WINDOWS_README} DESTINATION . COMPONENT windows)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ZarvoNeon)
set(CPACK_PACKAGE_VENDOR Zarvo)
set(CPACK_PACKAGE_FILE_NAME ${ZARVO_PACKAGE_FILE_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/packaging/windows/ReproducibleZip.cmake)
set(CPACK_ZARVO_SOURCE_DIR ${CMAKE_SOURCE_DIR})

# The installer, by makensis from Debian's nsis (64-bit stubs).
set(ZARVO_INSTALLER ${CMAKE_BINARY_DIR}/${ZARVO_PACKAGE_FILE_NAME}-setup.exe)
set(zarvo_nsi ${CMAKE_SOURCE_DIR}/packaging/windows/ZarvoNeon.nsi)
find_program(ZARVO_MAKENSIS makensis)
if(ZARVO_MAKENSIS)
    add_custom_command(OUTPUT ${ZARVO_INSTALLER}
        COMMAND ${ZARVO_MAKENSIS} -V2 -DVERSION=${ZARVO_VERSION}
                -DMODULE=$<TARGET_FILE:ZarvoNeon> -DCOMMAND=$<TARGET_FILE:zarvo-neon>
                -DREADME=${ZARVO_WINDOWS_README} -DCOPYRIGHT=${ZARVO_COPYRIGHT}
                -DOUTFILE=${ZARVO_INSTALLER} ${zarvo_nsi}
        DEPENDS ZarvoNeon zarvo-neon ${zarvo_nsi} ${ZARVO_WINDOWS_README}
        COMMENT "Making ${ZARVO_PACKAGE_FILE_NAME}-setup.exe"
        VERBATIM)
    add_custom_target(zarvo_installer DEPENDS ${ZARVO_INSTALLER})
else()
    add_custom_target(zarvo_installer
        COMMAND ${CMAKE_COMMAND} -E echo
                "makensis was not found when this folder was configured: install Debian's nsis (scripts/need-packages.sh nsis) and run cmake again"
        COMMAND ${CMAKE_COMMAND} -E false
        VERBATIM)
endif()
