# Cross-building the core, permuto-cli and their tests for 64-bit Windows
# from Debian with MinGW-w64; the tests run under Wine:
#   cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/MinGW.cmake
# (tools/dev.sh windows does all of it.)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(Triplet x86_64-w64-mingw32)

# The "posix" flavour of the compiler has std::thread.
set(CMAKE_C_COMPILER ${Triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${Triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${Triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${Triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One .exe that runs on a bare Windows: the compiler's runtime is linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(PermutoWine NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(PermutoWine)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${PermutoWine})
endif()
