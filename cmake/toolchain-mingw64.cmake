# Cross build for 64-bit Windows with mingw-w64 (Debian: g++-mingw-w64-x86-64).
# The POSIX threads variant of the compiler provides std::thread and friends.
# Programs are linked statically so that they run without the compiler's
# DLLs, and the tests run under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(NOLT_WINE NAMES wine64 wine)
if(NOLT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${NOLT_WINE})
endif()
