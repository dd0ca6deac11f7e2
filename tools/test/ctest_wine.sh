#!/usr/bin/env bash
# CTest's emulator in the Windows trees: `ctest` runs a test program as
# ./run test does, in the project's Wine prefix (made when missing) with a
# private Xvfb and the network peers up. The program comes as a path.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
arch=$(cd "$repo" && python3 -m tools.wine.session arch)
root=$repo/build/wine
[[ $arch == win32 ]] || root=$repo/build/wine64
"$repo/tools/wine/prefix.sh" "$root" >/dev/null
exec python3 "$repo/tools/test/run_one.py" "$@"
