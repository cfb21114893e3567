# The one place that decides which Wine loader runs what. Source it.
#
# The prefixes are 64-bit, as the Windows the tool ships for. Every Windows
# program, prefix tool or test subject, is started through the 64-bit
# loader: for a 64-bit image it runs the program itself; for a 32-bit image
# (the shipped tool, its 32-bit test drivers) Wine hands the start to its
# 32-bit loader, and the program runs as a WOW64 process, which is what
# happens when a user double-clicks the tool on 64-bit Windows. A bare
# `wine` would instead be whichever loader Debian's wrapper finds first (the
# 32-bit one once wine32 is installed), and `wine sc` would then reach the
# 32-bit builtin sc in syswow64 rather than the system32 stand-in.
HR_WINE64=/usr/lib/wine/wine64
HR_WINESERVER=/usr/lib/wine/wineserver64
HR_WINE32=/usr/lib/wine/wine

export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# The 64-bit loader finds its 32-bit partner through WINELOADER's folder.
unset WINELOADER

# A Windows program of either bitness, or a prefix tool by its name
# ("reg", "sc", "regedit", "winecfg", "winepath", "wineboot").
hr_wine() { "$HR_WINE64" "$@"; }
hr_wineserver() { "$HR_WINESERVER" "$@"; }
hr_winecfg_version() {  # [name]: with no name prints the prefix's version
  if [ $# -eq 0 ]; then hr_wine winecfg -v 2>/dev/null | tr -d '\r'; else hr_wine winecfg -v "$1" >/dev/null 2>&1; fi
}
hr_winepath() { hr_wine winepath "$@" 2>/dev/null | tr -d '\r'; }
# The prefix's sc (the zh-CN stand-in in system32), its output as UTF-8;
# a script's own calls never take a test's settings meant for the tool's
# commands (HKCU\Software\HubrelayStandins).
hr_sc() { STANDIN_NO_REGISTRY=1 hr_wine sc "$@" 2>/dev/null | iconv -f GBK -t UTF-8 | tr -d '\r' || true; }
# Forgets the stand-ins' settings an earlier test left for the tool's
# commands. Only when a script's sync left some (the marker file says so),
# or with "always": each Wine start costs, and one can fail while the last
# wineserver is still ending, so none is made for nothing; one that fails
# is tried again.
hr_standins_marker() { echo "${WINEPREFIX:?}/hr-standins.set"; }
hr_standins_clear() {  # [always]
  local try key='HKCU\Software\HubrelayStandins'
  if [ "${1:-}" = always ] && [ ! -e "$(hr_standins_marker)" ]; then
    # Most often there is nothing: one look.
    hr_wine reg query "$key" >/dev/null 2>&1 || return 0
  fi
  [ "${1:-}" = always ] || [ -e "$(hr_standins_marker)" ] || return 0
  for try in 1 2 3; do
    if hr_wine reg delete "$key" /f >/dev/null 2>&1 || ! hr_wine reg query "$key" >/dev/null 2>&1; then
      rm -f "$(hr_standins_marker)"
      return 0
    fi
    sleep 1
  done
  echo "wine-env: cannot clear $key" >&2
}

# Both loaders must be there: a prefix without the 32-bit one cannot run
# the shipped tool at all.
hr_wine_check() {
  local l
  for l in "$HR_WINE64" "$HR_WINE32" "$HR_WINESERVER"; do
    [ -x "$l" ] || { echo "wine: $l is missing (scripts/setup.sh installs wine64 and wine32)" >&2; return 1; }
  done
}
