#!/usr/bin/env bash
# Cross-builds the static Windows (i686) libraries from Debian's source
# packages: libcurl (Schannel TLS), OpenSSL's libcrypto, TinyXML-2 and
# GoogleTest. zlib comes prebuilt from libz-mingw-w64-dev.
# The result lives in a cache outside the repository, keyed by the source
# versions, and is reused when present. Prints the prefix on stdout.
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
cache=${TW_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/twinstall}
jobs=$(nproc)

versions=$( { apt-get source --print-uris curl tinyxml2 openssl 2>/dev/null | grep -o "'[^']*\.dsc'" ;
              dpkg-query -W -f='${Version}\n' googletest libz-mingw-w64-dev g++-mingw-w64-i686-posix ;
              cat "$0" "$repo/cmake/mingw32-toolchain.cmake"; } | sha256sum | cut -c1-16)
prefix="$cache/mingw-deps-$versions"
if [[ -f $prefix/.complete ]]; then
  echo "$prefix"
  exit 0
fi

log="$cache/mingw-deps-$versions.log"
work="$cache/mingw-src-$versions"
rm -rf "$prefix" "$work"
mkdir -p "$prefix" "$work"
exec 3>&1 >"$log" 2>&1
trap 'echo "building the Windows dependencies failed; see $log" >&3; tail -n 30 "$log" >&3' ERR

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
for pkg in curl tinyxml2 openssl; do fetch_source "$pkg"; done

toolchain="$repo/cmake/mingw32-toolchain.cmake"
cmake_static=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
              -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF)

# TinyXML-2
cmake -S tinyxml2-*/ -B build-tinyxml2 "${cmake_static[@]}" -Dtinyxml2_BUILD_TESTING=OFF
cmake --build build-tinyxml2 -j "$jobs" --target install

# GoogleTest and GoogleMock, from the copy Debian ships
cmake -S /usr/src/googletest -B build-gtest "${cmake_static[@]}" -Dgtest_disable_pthreads=OFF
cmake --build build-gtest -j "$jobs" --target install

# libcurl: Schannel only, static zlib, every other optional dependency off
cmake -S curl-*/ -B build-curl "${cmake_static[@]}" \
  -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_ZLIB=ON \
  -DZLIB_LIBRARY=/usr/i686-w64-mingw32/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/i686-w64-mingw32/include \
  -DUSE_LIBIDN2=OFF -DUSE_NGHTTP2=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF \
  -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBSSH=OFF -DCURL_USE_LIBPSL=OFF -DCURL_USE_GSSAPI=OFF \
  -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON -DBUILD_CURL_EXE=OFF -DENABLE_MANUAL=OFF \
  -DCURL_STATICLIB=ON
cmake --build build-curl -j "$jobs" --target install

# OpenSSL's libcrypto only. no-asm sidesteps Debian's PIC patch, whose i386
# assembly the Windows assembler rejects; only RSA and MD5 are used.
cd openssl-*/
./Configure mingw no-shared no-tests no-module no-legacy no-engine no-dso no-ui-console no-asm \
  --cross-compile-prefix=i686-w64-mingw32- --prefix="$prefix"
make -s build_generated
make -s -j "$jobs" libcrypto.a
mkdir -p "$prefix/include" "$prefix/lib"
cp -r include/openssl "$prefix/include/"
cp libcrypto.a "$prefix/lib/"
cd "$work"

cd / && rm -rf "$work"
touch "$prefix/.complete"
echo "$prefix" >&3
