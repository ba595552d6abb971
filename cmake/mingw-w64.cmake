# Cross-building the Windows program with Debian's MinGW-w64 (posix threads):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# Test programs run under Wine, which CMake uses as the emulator.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_triplet x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER ${mingw_triplet}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER ${mingw_triplet}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER ${mingw_triplet}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(CMAKE_CROSSCOMPILING_EMULATOR wine)
