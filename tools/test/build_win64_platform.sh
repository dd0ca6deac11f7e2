#!/usr/bin/env bash
# Builds platform_tests for 64-bit Windows into the folder given: the
# platform's defences (library search, held files, registry text and walks)
# with their test, GoogleTest from Debian's copy, and the marking library.
# For machines whose kernel runs no 32-bit x86 programs, where Wine can run
# only 64-bit ones: there these tests still run under Wine for real.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
out=$(mkdir -p "$1" && cd "$1" && pwd)
cxx=x86_64-w64-mingw32-g++-posix
flags=(-std=c++17 -O1 -static -DUNICODE -D_UNICODE -D_WIN32_WINNT=0x0601 -DWINVER=0x0601 -DNOMINMAX
       -DWIN32_LEAN_AND_MEAN -Wall -Wextra -Werror -Wno-unused-parameter -I"$repo")
gtest=/usr/src/googletest/googletest
if [[ ! -f $out/gtest.o ]]; then
  $cxx -std=c++17 -O1 -I"$gtest/include" -I"$gtest" -c "$gtest/src/gtest-all.cc" -o "$out/gtest.o"
  $cxx -std=c++17 -O1 -I"$gtest/include" -c "$gtest/src/gtest_main.cc" -o "$out/gtest_main.o"
fi
$cxx "${flags[@]}" -shared "$repo/tests/helpers/mark_library.cpp" -o "$out/tw_mark_library.dll"
$cxx "${flags[@]}" -isystem "$gtest/include" \
  "$repo/tests/win/platform_defences_test.cpp" "$repo/tests/win/test_support_win.cpp" \
  "$repo/platform/win/held_file_win.cpp" "$repo/platform/win/library_loading_win.cpp" \
  "$repo/platform/win/registry_win.cpp" "$repo/platform/win/module_path_win.cpp" "$repo/platform/text.cpp" \
  "$out/gtest.o" "$out/gtest_main.o" -o "$out/platform_tests.exe"
