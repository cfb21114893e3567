#!/usr/bin/env bash
# Creates (or refreshes) the Wine prefix the tests run in, inside the build
# tree: 64-bit, zh-CN, CJK font substitutes, and our stand-ins for the Windows
# console programs Wine lacks or prints differently, with native load order.
# As on 64-bit Windows there are two sets: the 64-bit programs in system32
# (what the tool reaches with redirection off) and 32-bit builds of the same
# sources in syswow64 (what a 32-bit process and its own children reach).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${HR_BUILD_ROOT:-$root/build}"
prefix="${1:-$build/wineprefix}"
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
. "$root/scripts/wine-env.sh"
hr_wine_check
unset DISPLAY

if [ ! -f "$prefix/system.reg" ]; then
  echo "prefix: creating $prefix"
  hr_wine wineboot -i >/dev/null 2>&1
  hr_wineserver -w
fi
[ -d "$prefix/drive_c/windows/syswow64" ] || { echo "prefix: $prefix is not a 64-bit prefix" >&2; exit 1; }

# PowerShell lives where Windows keeps it, in WindowsPowerShell\v1.0 (off the
# system folder itself, so that only a PATH that names that folder or a full
# path reaches it; an earlier prefix's copy in the system folder goes).
install_standins() {  # build tree, system folder of the prefix
  local prog system="$prefix/drive_c/windows/$2"
  for prog in powershell sc timeout; do
    [ -f "$1/testenv/bin/$prog.exe" ] || { echo "prefix: $1 has no $prog stand-in (build first)" >&2; exit 1; }
  done
  cp -f "$1/testenv/bin/sc.exe" "$1/testenv/bin/timeout.exe" "$system/"
  mkdir -p "$system/WindowsPowerShell/v1.0"
  cp -f "$1/testenv/bin/powershell.exe" "$system/WindowsPowerShell/v1.0/powershell.exe"
  rm -f "$system/powershell.exe"
}
install_standins "$build/win64" system32
install_standins "$build/win32" syswow64

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
hr_wine regedit /S "$(hr_winepath -w "$reg")" >/dev/null 2>&1
hr_wineserver -w
rm -f "$reg"
echo "prefix: ready ($prefix)"
