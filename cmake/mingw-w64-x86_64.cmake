# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (the -posix compilers, whose
# libstdc++ has std::thread). Use: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZARVO_MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${ZARVO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZARVO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZARVO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZARVO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Runs the Windows programs that a build or test launches.
find_program(ZARVO_WINE NAMES wine64 wine)
if(ZARVO_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ZARVO_WINE})
endif()
