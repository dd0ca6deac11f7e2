# Sourced: the environment every Wine run of the project uses. The prefix is
# the project's own (inside the build tree); Wine runs in the locale of the
# product's users, so ANSI text is GBK (code page 936). The prefix is 32-bit
# (the installer's own architecture) unless TW_WINE_ARCH=win64: then it is
# 64-bit, for a machine whose kernel runs no 32-bit code, and "wine" (also
# as wineboot, winepath, regedit call it) is the 64-bit loader.
tw_wine_env() {
  local root=$1
  export WINEPREFIX="$root/prefix"
  export WINEARCH=${TW_WINE_ARCH:-win32}
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export LANG=zh_CN.UTF-8
  { export LC_ALL=zh_CN.UTF-8; } 2>/dev/null  # bash itself may lack the locale; Wine does not need it
  if [[ $WINEARCH == win64 ]]; then
    mkdir -p "$root/bin"
    for name in wine wine-stable; do
      printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$root/bin/$name"
      chmod +x "$root/bin/$name"
    done
    export PATH="$root/bin:$PATH"
  fi
}
