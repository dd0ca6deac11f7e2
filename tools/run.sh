#!/usr/bin/env bash
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"

deploy_file=${TW_DEPLOY:-deploy/local.ini}
[[ -f $deploy_file ]] || { echo "deployment file not found: $deploy_file" >&2; exit 2; }
deploy_file=$(cd "$(dirname "$deploy_file")" && pwd)/$(basename "$deploy_file")
deploy_name=$(basename "$deploy_file" .ini)
# What CMakePresets.json builds every tree for.
export TW_DEPLOY_FILE=$deploy_file TW_DEPLOY_NAME=$deploy_name
jobs=$(nproc)

setup() {
  tools/setup/install-packages.sh
  TW_DEPS_PREFIX=$(tools/setup/build-mingw-deps.sh)
  export TW_DEPS_PREFIX
}

configure() {  # preset (CMakePresets.json): quick when nothing changed
  local log
  log=$(mktemp)
  cmake --preset "$1" >"$log" 2>&1 || { cat "$log"; rm -f "$log"; return 1; }
  rm -f "$log"
}

build_native() {
  configure native
  # Also every portable header compiled alone, without Windows.
  cmake --build build/native -j "$jobs" --target all all_verify_interface_header_sets
}

# The installer is a 32-bit program and its tests run under 32-bit Wine. Where
# the kernel runs no 32-bit x86 code (a PVM guest, for one), Wine can run
# only 64-bit programs: there the Windows test programs are also built for
# 64-bit Windows and run in a 64-bit prefix. The installer shipped is always
# the 32-bit one.
# tools/wine/session.py answers whether this machine runs 32-bit programs.
TW_WINE_ARCH=$(python3 -m tools.wine.session arch)
export TW_WINE_ARCH
if [[ $TW_WINE_ARCH == win32 ]]; then
  wine_root=build/wine
else
  wine_root=build/wine64
fi

build_windows() {  # preset (win32 or win64), libraries prefix
  local preset=$1 libraries=$2 tree cached
  tree=build/$preset-$deploy_name
  # CMake keeps the library paths it found; libraries built anew (another
  # cache key) need a tree configured anew, or the old ones stay linked.
  cached=$(sed -n 's/^TW_DEPS_PREFIX:PATH=//p' "$tree/CMakeCache.txt" 2>/dev/null || true)
  if [[ -n $cached && $cached != "$libraries" ]]; then
    echo "Windows libraries changed ($cached -> $libraries): configuring $tree again"
    rm -rf "$tree"
  fi
  TW_DEPS_PREFIX=$libraries configure "$preset"
  cmake --build "$tree" -j "$jobs"
}

build_win32() {
  build_windows win32 "$TW_DEPS_PREFIX"
  mkdir -p "out/$deploy_name"
  cp "build/win32-$deploy_name/bin/twinstall.exe" "out/$deploy_name/twinstall.exe"
}

build_win64() {  # only where Wine runs only 64-bit programs
  [[ $TW_WINE_ARCH == win64 ]] || return 0
  local libraries
  libraries=$(TW_WIN_ARCH=x86_64 tools/setup/build-mingw-deps.sh)
  build_windows win64 "$libraries"
}

# The Wine prefix is made in the background while the compilers run.
start_prefix() {
  mkdir -p build
  tools/wine/prefix.sh "$wine_root" >build/wine-prefix.log 2>&1 &
  prefix_pid=$!
  # A failed build or an interrupt must not leave wineboot or its server behind.
  trap 'kill "$prefix_pid" 2>/dev/null; WINEPREFIX="$repo/$wine_root/prefix" wineserver -k 2>/dev/null || true' EXIT
}
wait_prefix() {
  wait "$prefix_pid" || { cat build/wine-prefix.log; exit 1; }
  trap - EXIT
}

build_fuzz() {
  configure fuzz
  cmake --build build/fuzz -j "$jobs"
}

cmd=${1:-}
shift || true
case "$cmd" in
  setup)
    setup
    tools/wine/prefix.sh "$wine_root"
    ;;
  build)
    setup
    build_win32
    build_native
    echo "installer: out/$deploy_name/twinstall.exe"
    ;;
  test)
    setup
    start_prefix
    build_win32
    build_win64
    build_native
    # TW_FUZZ_SECONDS=0: no fuzzing, so no sanitized tree to build.
    [[ ${TW_FUZZ_SECONDS:-10} == 0 ]] || build_fuzz
    wait_prefix
    exec python3 tools/test/run_all.py --deployment "$deploy_name" "$@"
    ;;
  demo)
    setup
    start_prefix
    build_win32
    build_win64
    wait_prefix
    exec python3 tools/demo.py --deployment "$deploy_name" "$@"
    ;;
  bench)
    setup
    [[ $TW_WINE_ARCH == win32 ]] || echo "this machine runs no 32-bit programs: the benchmarks under Wine measure the 64-bit build" >&2
    start_prefix
    build_win32
    build_win64
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
