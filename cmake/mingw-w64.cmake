# Cross build for 64-bit Windows with Debian's mingw-w64 (the posix thread model, which
# std::thread needs). Everything is linked statically, so the executables run anywhere.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TWINSEEK_MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TWINSEEK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TWINSEEK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TWINSEEK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TWINSEEK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run through wine; the script puts the right binary here.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(TWINSEEK_WINE NAMES wine wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
    if(TWINSEEK_WINE)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${TWINSEEK_WINE})
    endif()
endif()
