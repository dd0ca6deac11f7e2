#!/usr/bin/env bash
# Cross-builds the static Windows libraries from Debian's source packages:
# libcurl (Schannel TLS), Mbed TLS's crypto library (big numbers and MD5
# only), TinyXML-2 and GoogleTest.
# zlib comes prebuilt from libz-mingw-w64-dev. For i686 (the installer's
# architecture) unless TW_WIN_ARCH=x86_64: 64-bit libraries for the test
# programs on a machine whose kernel runs no 32-bit code.
# The result lives in a cache outside the repository, keyed by what was
# built: the source versions actually fetched, the compilers and this
# recipe; it is reused when present. Prints the prefix on stdout; a failure
# is told on stderr (stdout is the caller's variable), with the log's tail.
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
arch=${TW_WIN_ARCH:-i686}
case "$arch" in
  i686|x86_64) ;;
  *) echo "unknown TW_WIN_ARCH: $arch" >&2; exit 2 ;;
esac
export TW_WIN_ARCH=$arch
toolchain="$repo/cmake/mingw-toolchain.cmake"
mbedtls_config="$repo/tools/setup/mbedtls_config.h"
triple=$arch-w64-mingw32
cache=${TW_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/twinstall}
jobs=$(nproc)

# A key for the given source package file names (".dsc"), with everything
# else the libraries depend on.
cache_key() {
  local key
  key=$( { printf '%s\n' "$@" | sort ;
           dpkg-query -W -f='${Version}\n' googletest libz-mingw-w64-dev "g++-mingw-w64-${arch//_/-}-posix" ;
           cat "$0" "$toolchain" "$mbedtls_config"; } | sha256sum | cut -c1-16)
  [[ $arch == i686 ]] && echo "$key" || echo "$arch-$key"
}

# Looked up by the versions apt offers; a mirror may no longer serve them
# and an older version is built instead, so each build is stored under the
# versions it was made from and the offered key points at it.
offered=$(cache_key $(apt-get source --print-uris curl tinyxml2 mbedtls 2>/dev/null | grep -o "[^'/]*\.dsc'" | tr -d "'"))
lookup="$cache/mingw-deps-$offered"
if [[ -f $lookup/.complete ]]; then
  readlink -f "$lookup"
  exit 0
fi

mkdir -p "$cache"
log="$cache/mingw-deps-$offered.log"
work="$cache/mingw-src-$offered"
rm -rf "$lookup" "$work"
mkdir -p "$work"
exec 3>&1 4>&2 >"$log" 2>&1
trap 'echo "building the Windows dependencies failed; see $log" >&4; tail -n 30 "$log" >&4' ERR

cd "$work"
# A mirror may list a source version it no longer serves: take the newest
# version of each package that actually downloads.
fetch_source() {
  local pkg=$1 v
  for v in $(apt-cache showsrc "$pkg" | sed -n 's/^Version: //p' | sort -u \
             | sort -r -t: -k1,1 -V); do
    if apt-get source -qq "$pkg=$v"; then return 0; fi
    rm -rf "$pkg"[-_]*
  done
  echo "no source version of $pkg could be downloaded"; return 1
}
for pkg in curl tinyxml2 mbedtls; do fetch_source "$pkg"; done
built=$(cache_key *.dsc)
prefix="$cache/mingw-deps-$built"
if [[ -f $prefix/.complete ]]; then  # the same fallback was built before
  [[ $prefix == "$lookup" ]] || ln -sfn "$prefix" "$lookup"
  cd / && rm -rf "$work"
  echo "$prefix" >&3
  exit 0
fi
rm -rf "$prefix"
mkdir -p "$prefix"
ls *.dsc >"$prefix/SOURCES"

cmake_static=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
              -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF)

# What goes into the installer is built for size: each function and datum in
# its own section so that the linker drops what is never called, and C code
# without unwind tables (nothing unwinds through it).
small_c="-ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables -fno-unwind-tables"

# TinyXML-2
cmake -S tinyxml2-*/ -B build-tinyxml2 "${cmake_static[@]}" -Dtinyxml2_BUILD_TESTING=OFF \
  -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_CXX_FLAGS="-ffunction-sections -fdata-sections"
cmake --build build-tinyxml2 -j "$jobs" --target install

# GoogleTest and GoogleMock, from the copy Debian ships
cmake -S /usr/src/googletest -B build-gtest "${cmake_static[@]}" -Dgtest_disable_pthreads=OFF
cmake --build build-gtest -j "$jobs" --target install

# libcurl: HTTP(S) through Schannel only, static zlib, every other optional
# dependency and protocol off (the installer speaks HTTP, through HTTP and
# SOCKS proxies). Its curl.exe, made from this same library, is the
# download benchmark's baseline under Wine.
cmake -S curl-*/ -B build-curl "${cmake_static[@]}" -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_C_FLAGS="$small_c" \
  -DCURL_DISABLE_FTP=ON -DCURL_DISABLE_FILE=ON -DCURL_DISABLE_TELNET=ON -DCURL_DISABLE_DICT=ON \
  -DCURL_DISABLE_TFTP=ON -DCURL_DISABLE_GOPHER=ON -DCURL_DISABLE_IMAP=ON -DCURL_DISABLE_POP3=ON \
  -DCURL_DISABLE_SMTP=ON -DCURL_DISABLE_RTSP=ON -DCURL_DISABLE_MQTT=ON -DCURL_DISABLE_SMB=ON \
  -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_ZLIB=ON \
  -DZLIB_LIBRARY=/usr/$triple/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/$triple/include \
  -DUSE_LIBIDN2=OFF -DUSE_NGHTTP2=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF \
  -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBSSH=OFF -DCURL_USE_LIBPSL=OFF -DCURL_USE_GSSAPI=OFF \
  -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON -DBUILD_CURL_EXE=ON -DENABLE_MANUAL=OFF \
  -DCURL_STATICLIB=ON
cmake --build build-curl -j "$jobs" --target install

# Mbed TLS's crypto library with the configuration the installer needs: its
# big-number module (the configuration's RSA blocks) and MD5, nothing else.
# No error queue and no global initialisation; the same source as Debian's
# package that the native trees link.
cp "$mbedtls_config" mbedtls-*/include/mbedtls/config.h
cmake -S mbedtls-*/ -B build-mbedtls "${cmake_static[@]}" -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_C_FLAGS="$small_c" \
  -DENABLE_PROGRAMS=OFF -DENABLE_TESTING=OFF -DMBEDTLS_FATAL_WARNINGS=OFF \
  -DUSE_STATIC_MBEDTLS_LIBRARY=ON -DUSE_SHARED_MBEDTLS_LIBRARY=OFF
cmake --build build-mbedtls -j "$jobs" --target install

cd / && rm -rf "$work"
touch "$prefix/.complete"
[[ $prefix == "$lookup" ]] || ln -sfn "$prefix" "$lookup"
echo "$prefix" >&3
