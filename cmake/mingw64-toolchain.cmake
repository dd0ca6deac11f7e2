# Cross-builds for 64-bit Windows with the posix-thread mingw-w64 compilers:
# the test programs, for a machine whose kernel runs no 32-bit code (the
# installer itself is 32-bit; see mingw32-toolchain.cmake). TW_DEPS_PREFIX is
# the cache of cross-built libraries; it must win over the Linux copies.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_AR x86_64-w64-mingw32-ar CACHE FILEPATH "")
set(CMAKE_RANLIB x86_64-w64-mingw32-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
if(DEFINED ENV{TW_DEPS_PREFIX})
  set(TW_DEPS_PREFIX "$ENV{TW_DEPS_PREFIX}" CACHE PATH "")
endif()
if(TW_DEPS_PREFIX)
  list(PREPEND CMAKE_FIND_ROOT_PATH "${TW_DEPS_PREFIX}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libcurl's package config asks for zlib: the static archive, not the import
# library of a DLL the installer would then need beside it.
set(ZLIB_LIBRARY /usr/x86_64-w64-mingw32/lib/libz.a CACHE FILEPATH "")
set(ZLIB_INCLUDE_DIR /usr/x86_64-w64-mingw32/include CACHE PATH "")
