#!/usr/bin/env bash
# Creates (or refreshes) the Wine prefix the tests run in, inside the build
# tree: 64-bit, zh-CN, CJK font substitutes, and our stand-ins for the Windows
# console programs Wine lacks or prints differently, installed in system32
# with native load order.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${HR_BUILD_ROOT:-$root/build}"
prefix="${1:-$build/wineprefix}"
standins="$build/win64/testenv/bin"
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

if [ ! -f "$prefix/system.reg" ]; then
  echo "prefix: creating $prefix"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi

sys32="$prefix/drive_c/windows/system32"
for prog in powershell sc timeout; do
  if [ -f "$standins/$prog.exe" ]; then
    cp -f "$standins/$prog.exe" "$sys32/$prog.exe"
  fi
done

# Registry: font substitutes and load order. regedit reads UTF-16 with a BOM.
reg="$(mktemp --suffix=.reg)"
{
  printf '\xff\xfe'
  iconv -f UTF-8 -t UTF-16LE <<'REG'
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"宋体"="WenQuanYi Micro Hei"
"SimSun"="WenQuanYi Micro Hei"
"新宋体"="WenQuanYi Micro Hei"
"NSimSun"="WenQuanYi Micro Hei"
"MS Shell Dlg"="WenQuanYi Micro Hei"
"MS Shell Dlg 2"="WenQuanYi Micro Hei"

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"powershell.exe"="native,builtin"
"sc.exe"="native,builtin"
"timeout.exe"="native,builtin"
"mscoree"=""
"mshtml"=""

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
; Xvfb runs no window manager: unmanaged windows spare Wine's wait for one on
; every hide, and Wine moves them itself when they are dragged.
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
} > "$reg"
wine regedit /S "$(winepath -w "$reg")" >/dev/null 2>&1
wineserver -w
rm -f "$reg"
echo "prefix: ready ($prefix)"
