#!/usr/bin/env bash
# Installs the Debian packages both build trees, Wine and the peers need.
# Idempotent: a stamp keyed by the package list skips apt entirely when
# nothing changed, so a warm `./run test` pays nothing here.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
packages=(
  # native build, tests, fuzzing, benchmarks
  g++ cmake ninja-build pkg-config clang libclang-rt-14-dev
  libcurl4-openssl-dev libmbedtls-dev libtinyxml2-dev zlib1g-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # the source rules' one formatter, pinned
  clang-format-14
  # the Win32 cross toolchain and what the dependency script needs
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-tools libz-mingw-w64-dev
  dpkg-dev patch perl make
  # 64-bit Windows programs: where the kernel runs no 32-bit code, Wine runs
  # the platform's tests built for 64-bit Windows
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  # Wine, 32-bit, headless, with fonts that render Chinese
  wine wine32:i386 wine64 libgnutls30:i386 fonts-wine fonts-wqy-microhei
  xvfb xauth x11-utils x11-apps imagemagick xdotool
  # benchmark baselines: a real web server and the curl and md5sum commands
  nginx-light curl coreutils
  # the configuration tool of the peers signs blocks with the test key
  openssl
  python3
  # real proxies people deploy, for the installer's proxy rows
  tinyproxy dante-server
  # Wine names Unix files in the Unix locale's charset: zh_CN.UTF-8 lets the
  # tests use the Chinese paths our users have
  locales
)

# Generated here, not by apt: the package alone generates no locale.
generate_chinese_locale() {
  locale -a 2>/dev/null | grep -qix 'zh_CN.utf8' && return 0
  $sudo localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
}

stamp_dir=${TW_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/twinstall}
mkdir -p "$stamp_dir"
key=$(printf '%s\n' "${packages[@]}" "$(cat "$0")" | sha256sum | cut -c1-16)
stamp="$stamp_dir/packages-$key.stamp"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo=sudo

if [[ -f $stamp ]] && dpkg -s wine32:i386 g++-mingw-w64-i686-posix >/dev/null 2>&1; then
  generate_chinese_locale
  exit 0
fi
export DEBIAN_FRONTEND=noninteractive

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi

# Source packages of the cross-built dependencies come from the same archive
# as the binary packages: mirror every deb entry as deb-src.
src_list=/etc/apt/sources.list.d/twinstall-src.sources
if [[ ! -f $src_list ]]; then
  for f in /etc/apt/sources.list.d/*.sources; do
    [[ -f $f ]] || continue
    sed -n 's/^Types:.*\bdeb\b.*$/Types: deb-src/p; /^Types:/!p' "$f"
    echo
  done | $sudo tee "$src_list.tmp" >/dev/null
  if [[ -f /etc/apt/sources.list ]]; then
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' \
      | $sudo tee /etc/apt/sources.list.d/twinstall-src.list >/dev/null || true
  fi
  $sudo mv "$src_list.tmp" "$src_list"
fi

$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
generate_chinese_locale
touch "$stamp"
