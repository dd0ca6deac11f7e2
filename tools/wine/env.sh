# Sourced: the environment every Wine run of the project uses. The prefix is
# the project's own (32-bit, inside the build tree); Wine runs in the
# locale of the product's users, so ANSI text is GBK (code page 936).
tw_wine_env() {
  local root=$1
  export WINEPREFIX="$root/prefix"
  export WINEARCH=win32
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export LANG=zh_CN.UTF-8
  { export LC_ALL=zh_CN.UTF-8; } 2>/dev/null  # bash itself may lack the locale; Wine does not need it
}
