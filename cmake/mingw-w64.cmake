# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads, for std::thread
# and std::mutex). The results run under Wine on the build machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELOMAR_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELOMAR_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELOMAR_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VELOMAR_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELOMAR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The executables carry the GCC runtime and winpthread inside, so Wine needs no DLLs
# copied beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test discovery and ctest run the executables through Wine, quietly, in a Wine prefix of
# the build's own so that tests never touch the user's ~/.wine registry.
find_program(VELOMAR_WINE NAMES wine wine64)
if(VELOMAR_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        env WINEDEBUG=-all WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEARCH=win64
        ${VELOMAR_WINE})
endif()
