#!/usr/bin/env bash
# The shipped i686 executable carries the resources: the x86 manifest asking
# for elevation, the 61 pictures, the icon group, the About string and the
# version block, all in zh-CN, and the event-log message table, in US English
# (the language every system falls back to for it); nothing else.
set -euo pipefail
exe="${1:?shipped executable}"
dump="$(mktemp)"
trap 'rm -f "$dump"' EXIT
i686-w64-mingw32-windres -i "$exe" -O rc -o "$dump"
status=0
expect() {  # what, grep pattern, wanted count
  local n; n="$(grep -c -- "$2" "$dump" || true)"
  if [ "$n" != "$3" ]; then echo "FAIL: $1: found $n, expected $3"; status=1; fi
}
expect "x86 common controls" 'processorArchitecture=""x86""' 1
expect "elevation" 'level=""requireAdministrator"" uiAccess=""false""' 1
expect "one manifest" '^1 24 ' 1
expect "pictures" '^[0-9]* "PNG"$' 61
for id in $(seq 144 204); do expect "picture $id" "^$id \"PNG\"$" 1; done
expect "icon group" '^128 14 ' 1
expect "thirteen icon images" 'Has 13 elements' 1
expect "version block" 'BLOCK "080404b0"' 1
expect "dialog templates" '^[0-9]* DIALOGEX' 9
expect "event-log message table" '^1 11 ' 1
# windres prints a LANGUAGE line only where the language changes, in the
# order of the resource types: the message table (type 11) lies between
# zh-CN ones.
expect "languages" '^LANGUAGE ' 3
expect "zh-CN" '^LANGUAGE 4, 2$' 2
expect "US English" '^LANGUAGE 9, 1$' 1
english="$(awk '/^LANGUAGE / { lang = $0 } /^[0-9]+ [0-9A-Z"]/ && lang == "LANGUAGE 9, 1" { print $1 " " $2 }' "$dump")"
[ "$english" = "1 11" ] || { echo "FAIL: in US English: ${english:-nothing}, expected the message table alone"; status=1; }
[ "$status" = 0 ] && echo "shipped resources: all checks passed"
exit $status
