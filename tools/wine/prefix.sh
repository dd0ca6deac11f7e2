#!/usr/bin/env bash
# Creates the project's Wine prefix once (32-bit, or 64-bit where the kernel
# runs no 32-bit code: tools/wine/session.py decides) with the font
# substitutions that make the installer's Chinese faces render with an
# installed CJK font. Reused while its stamp matches this script.
set -euo pipefail
root=$(mkdir -p "$1" && cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
tw_wine_env "$root"

stamp="$WINEPREFIX/.tw-ready-$( { cat "$0"; env | grep -E '^(WINE|LANG=|LC_ALL=)' | sort; } | sha256sum | cut -c1-12)"
[[ -f $stamp ]] && exit 0

rm -rf "$WINEPREFIX"
unset DISPLAY
wineboot --init
wineserver -w

# A UTF-16 .reg file carries the Chinese face names whatever the Linux
# locale is (setup generates zh_CN.UTF-8, but a machine set up by hand may
# lack it), and the crash-dialog setting.
reg="$root/fonts.reg"
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
  for face in "Microsoft YaHei" "微软雅黑" "宋体" "SimSun" "新宋体" "NSimSun"; do
    printf '"%s"="WenQuanYi Micro Hei"\r\n' "$face"
  done
  # A Chinese Windows lists YaHei among its fonts; the framework picks its
  # base face (and the YaHei text correction) from this key.
  printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts]\r\n'
  printf '"%s"="msyh.ttf"\r\n' "微软雅黑 (TrueType)"
  # A crashing test program must end, not wait on Wine's crash dialog.
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n'
  # Xvfb runs no window manager: unmanaged windows are hidden at once instead
  # of Wine waiting two seconds for a manager to withdraw each one.
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n'
} | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$reg"
wine regedit /S "$(winepath -w "$reg")"
wineserver -w
touch "$stamp"
