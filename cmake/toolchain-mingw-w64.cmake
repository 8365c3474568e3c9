# Cross build for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64.cmake
# The posix thread model gives std::thread and std::mutex; the runtime (libstdc++, libgcc, winpthread)
# is linked statically so that the programs run on a bare Windows, or under wine, without extra DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(Q470_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${Q470_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${Q470_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${Q470_MINGW_TRIPLET}-windres)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Libraries and headers of the target only; programs (wine, the compilers) from the host. The header-only
# libraries that come from the host are looked up on their own (cmake/Q470Dependencies.cmake).
set(CMAKE_FIND_ROOT_PATH /usr/${Q470_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest runs the test programs through wine when it is installed.
find_program(Q470_WINE_PROGRAM NAMES wine wine64)
if(Q470_WINE_PROGRAM)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${Q470_WINE_PROGRAM}")
endif()
