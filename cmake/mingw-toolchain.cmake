# Cross-builds for Windows with the posix-thread mingw-w64 compilers (the
# win32-thread ones lack std::thread and std::mutex). TW_WIN_ARCH names the
# processor: i686 for the installer, which is 32-bit, or x86_64 for the test
# programs on a machine whose kernel runs no 32-bit code. TW_DEPS_PREFIX is
# the cache of cross-built libraries; it must win over the Linux copies.
# Both may come from the environment or the command line.
if(NOT TW_WIN_ARCH AND DEFINED ENV{TW_WIN_ARCH})
  set(TW_WIN_ARCH "$ENV{TW_WIN_ARCH}")
endif()
if(NOT TW_WIN_ARCH)
  set(TW_WIN_ARCH i686)
endif()
if(NOT TW_WIN_ARCH MATCHES "^(i686|x86_64)$")
  message(FATAL_ERROR "TW_WIN_ARCH must be i686 or x86_64, not ${TW_WIN_ARCH}")
endif()
set(TW_WIN_ARCH "${TW_WIN_ARCH}" CACHE STRING "Windows processor: i686 or x86_64")
if(DEFINED ENV{TW_DEPS_PREFIX})
  set(TW_DEPS_PREFIX "$ENV{TW_DEPS_PREFIX}" CACHE PATH "")
endif()
# The compiler checks read this file again in projects of their own.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TW_WIN_ARCH TW_DEPS_PREFIX)

set(triple ${TW_WIN_ARCH}-w64-mingw32)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TW_WIN_ARCH})
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_AR ${triple}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${triple}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
if(TW_DEPS_PREFIX)
  list(PREPEND CMAKE_FIND_ROOT_PATH "${TW_DEPS_PREFIX}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libcurl's package config asks for zlib: the static archive, not the import
# library of a DLL the installer would then need beside it.
set(ZLIB_LIBRARY /usr/${triple}/lib/libz.a CACHE FILEPATH "")
set(ZLIB_INCLUDE_DIR /usr/${triple}/include CACHE PATH "")
