# Cross-build for 64-bit Windows with Debian's mingw-w64 (package g++-mingw-w64-x86-64-posix).
#
# The posix flavour of the compiler is used because its libstdc++ has std::thread, std::mutex and
# the rest of the C++11 threading library (on top of winpthreads); GCC 12's win32 flavour has none
# of them, and the stand-ins' document viewers need std::mutex. The price is one more runtime DLL,
# libwinpthread-1.dll, which the build copies next to the programs.
#
# Programs are run under Wine (Debian's wine64): tests through CMAKE_CROSSCOMPILING_EMULATOR.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian installs the 64-bit loader outside the PATH unless the wine package is there too.
find_program(VANTREL_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/lib/x86_64-linux-gnu/wine NO_CMAKE_FIND_ROOT_PATH)
if(VANTREL_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VANTREL_WINE64})
endif()
