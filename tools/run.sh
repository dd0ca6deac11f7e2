#!/usr/bin/env bash
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"

deploy_file=${TW_DEPLOY:-deploy/local.ini}
[[ -f $deploy_file ]] || { echo "deployment file not found: $deploy_file" >&2; exit 2; }
deploy_file=$(cd "$(dirname "$deploy_file")" && pwd)/$(basename "$deploy_file")
deploy_name=$(basename "$deploy_file" .ini)
jobs=$(nproc)

setup() {
  tools/setup/install-packages.sh
  TW_DEPS_PREFIX=$(tools/setup/build-mingw-deps.sh)
  export TW_DEPS_PREFIX
}

configure() {  # tree, extra cmake arguments...
  local tree=$1; shift
  if [[ ! -f $tree/build.ninja ]]; then
    cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTW_DEPLOY="$deploy_file" "$@" >/dev/null
  fi
}

build_native() {
  configure build/native
  cmake --build build/native -j "$jobs"
}

build_win32() {
  local tree=build/win32-$deploy_name cached
  # CMake keeps the library paths it found; libraries built anew (another
  # cache key) need a tree configured anew, or the old ones stay linked.
  cached=$(sed -n 's/^TW_DEPS_PREFIX:PATH=//p' "$tree/CMakeCache.txt" 2>/dev/null || true)
  if [[ -n $cached && $cached != "$TW_DEPS_PREFIX" ]]; then
    echo "Windows libraries changed ($cached -> $TW_DEPS_PREFIX): configuring $tree again"
    rm -rf "$tree"
  fi
  configure "$tree" -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw32-toolchain.cmake" \
    -DTW_DEPS_PREFIX="$TW_DEPS_PREFIX" -DCMAKE_BUILD_TYPE=MinSizeRel
  cmake --build "$tree" -j "$jobs"
  mkdir -p "out/$deploy_name"
  cp "$tree/bin/twinstall.exe" "out/$deploy_name/twinstall.exe"
}

# The installer is a 32-bit program: Wine runs it only where the kernel runs
# 32-bit x86 code. Some virtual machines cannot (a PVM guest, for one); there
# nothing of Wine can start, so the Windows tests are reported as not run.
runs_32bit() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }
no_32bit_notice() {
  echo "this machine cannot run 32-bit x86 programs (the i386 loader /lib/ld-linux.so.2 does not start):" >&2
  echo "Wine cannot start here, so nothing that runs the Windows programs can either" >&2
}

# The Wine prefix is made in the background while the compilers run.
start_prefix() {
  mkdir -p build
  tools/wine/prefix.sh build/wine >build/wine-prefix.log 2>&1 &
  prefix_pid=$!
  # A failed build or an interrupt must not leave wineboot or its server behind.
  trap 'kill "$prefix_pid" 2>/dev/null; WINEPREFIX="$repo/build/wine/prefix" wineserver -k 2>/dev/null || true' EXIT
}
wait_prefix() {
  wait "$prefix_pid" || { cat build/wine-prefix.log; exit 1; }
  trap - EXIT
}

build_fuzz() {
  configure build/fuzz -DTW_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
  cmake --build build/fuzz -j "$jobs"
}

cmd=${1:-}
shift || true
case "$cmd" in
  setup)
    setup
    tools/wine/prefix.sh "build/wine"
    ;;
  build)
    setup
    build_win32
    build_native
    echo "installer: out/$deploy_name/twinstall.exe"
    ;;
  test)
    setup
    if runs_32bit; then start_prefix; else no_32bit_notice; fi
    build_win32
    build_native
    build_fuzz
    if runs_32bit; then wait_prefix; fi
    exec python3 tools/test/run_all.py --deployment "$deploy_name" "$@"
    ;;
  demo)
    setup
    runs_32bit || { no_32bit_notice; exit 1; }
    start_prefix
    build_win32
    wait_prefix
    exec python3 tools/demo.py --deployment "$deploy_name" "$@"
    ;;
  bench)
    setup
    runs_32bit || { no_32bit_notice; exit 1; }
    start_prefix
    build_win32
    build_native
    wait_prefix
    exec python3 tools/bench/run_bench.py --deployment "$deploy_name" "$@"
    ;;
  fuzz)
    setup
    build_fuzz
    exec python3 tools/test/run_fuzz.py --seconds "${1:-60}"
    ;;
  *)
    sed -n '2,9p' "$repo/run" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
