# Sourced by the X-level suites. Other suites share the Wine prefix: every
# registry value changed through reg_set is put back as it was (or removed)
# by reg_restore, which the suites call when they end.
. "$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/wine-env.sh"
declare -A hr_reg_saved=()
reg_value() {  # key, name -> data, empty when absent
  hr_wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n {print $3}' || true
}
reg_set() {  # key, name, type, data
  local id="$1|$2|$3"
  if [ -z "${hr_reg_saved[$id]+x}" ]; then hr_reg_saved[$id]="$(reg_value "$1" "$2")"; fi
  # A Wine start can fail while the previous test's wineserver is still
  # ending (it lingers a few seconds after its last client); under set -e a
  # silent failure here would end the suite before it drew anything.
  local out try
  for try in 1 2 3; do
    out="$(hr_wine reg add "$1" /v "$2" /t "$3" /d "$4" /f 2>&1)" && return 0
    sleep 1
  done
  echo "prefix-state: reg add $1 /v $2 failed three times: $out" >&2
  return 1
}
reg_restore() {
  local id key name type old
  for id in "${!hr_reg_saved[@]}"; do
    IFS='|' read -r key name type <<< "$id"
    old="${hr_reg_saved[$id]}"
    if [ -z "$old" ]; then
      hr_wine reg delete "$key" /v "$name" /f >/dev/null 2>&1 || true
    else
      [ "$type" == REG_DWORD ] && old=$((old))
      hr_wine reg add "$key" /v "$name" /t "$type" /d "$old" /f >/dev/null 2>&1 || true
    fi
  done
  hr_reg_saved=()
}
# Wine 8 takes the screen's LOGPIXELSY from HKCU\Control Panel\Desktop
# "LogPixels" (before the hardware profile's Fonts key) when a process starts.
set_dpi() { reg_set 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD "$1"; }
