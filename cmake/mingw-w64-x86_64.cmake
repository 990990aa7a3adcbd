# Cross-building Glimmerdome for 64-bit Windows with Debian's mingw-w64.
#   cmake -S . -B build-windows --toolchain cmake/mingw-w64-x86_64.cmake
# The program comes out as one self-contained glimmerdome.exe: the C and C++
# runtimes and zlib (Debian's libz-mingw-w64-dev) are linked in statically, so
# it needs nothing but the DLLs every Windows system has.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(GLIMMERDOME_MINGW_PREFIX x86_64-w64-mingw32)
# The compilers of the "posix" thread model, whose C++ library has std::mutex
# (GoogleTest needs it); linked statically, its thread library (winpthread)
# becomes part of the program, not a DLL beside it.
find_program(CMAKE_C_COMPILER NAMES ${GLIMMERDOME_MINGW_PREFIX}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${GLIMMERDOME_MINGW_PREFIX}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${GLIMMERDOME_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${GLIMMERDOME_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libz.a rather than the import library of zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
