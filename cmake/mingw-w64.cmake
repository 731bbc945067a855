# Cross-building the Windows programs on Linux with Debian's mingw-w64
# (package g++-mingw-w64-x86-64-posix): 64-bit Windows, POSIX thread model.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RIGVOX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RIGVOX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RIGVOX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${RIGVOX_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${RIGVOX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The test programs run under Wine (CTest and GoogleTest's discovery).
find_program(RIGVOX_WINE NAMES wine wine64)
if(RIGVOX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${RIGVOX_WINE})
endif()
