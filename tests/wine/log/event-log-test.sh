#!/usr/bin/env bash
# The event-log records as Wine's advapi32 receives them. Wine 8 keeps no
# records, but traces each ReportEventW call: its arguments on the advapi
# fixme channel (handle, type, category, id, sid, string count, ...), then
# each string on the eventlog channel, as trace for information, warn for
# warning and err for error:
#   0024:fixme:advapi:ReportEventW (00000000CAFE4242,0x0002,0x0000,0x000003e9,0000000000000000,0x0001,...): stub
#   0024:warn:eventlog:ReportEventW L"RESULT=3010 removed-after-restart"
# The test program reports the records listed below (and checks the
# registration and the tool's message table itself); this reads its trace.
set -euo pipefail
exe="${1:?event_log_tests.exe}"
run="$(cd "$(dirname "$0")/.." && pwd)/wine-run.sh"
fail() { echo "FAIL: $*"; exit 1; }
trace="$(mktemp)"
trap 'rm -f "$trace"' EXIT

status=0
WINEDEBUG="-all,fixme+advapi,+eventlog" "$run" "$exe" 2>"$trace" || status=$?
[ "$status" = 0 ] || { grep -v ':eventlog:\|:advapi:' "$trace" || true; fail "the test program failed ($status)"; }

# "type id strings channel text" for each call whose text begins with the
# probe's mark, pairing the call with the next string on the same thread.
records="$(tr -d '\r' < "$trace" | awk -F: '
  /:fixme:advapi:ReportEventW \(/ {
    split(substr($0, index($0, "(") + 1), f, ",")
    call[$1] = f[2] " " f[4] " " f[6]
    next
  }
  /:eventlog:ReportEventW L"/ {
    if (!($1 in call)) next
    text = substr($0, index($0, "ReportEventW ") + 13)
    if (index(text, "L\"hr-event-probe record ") == 1) print call[$1] " " $2 " " text
    delete call[$1]
  }')"

expected='0x0004 0x000003e8 0x0001 trace L"hr-event-probe record information\r\nRESULT=0 removed\r\nversion 1.2.24.1010"
0x0002 0x000003e9 0x0001 warn L"hr-event-probe record warning\r\nRESULT=3010 removed-after-restart"
0x0001 0x000003eb 0x0001 err L"hr-event-probe record error\r\nRESULT=1603 failed\r\ndelete: sc exit 1072"
0x0002 0x000003ec 0x0001 warn L"hr-event-probe record busy"
0x0001 0x000003eb 0x0001 err L"hr-event-probe record unknown word"'

if [ "$records" != "$expected" ]; then
  echo "expected (type id strings channel text):"; echo "$expected"
  echo "traced:"; echo "${records:-<none>}"
  echo "trace of the calls:"; grep ':ReportEventW' "$trace" | head -40 || true
  fail "the records Wine received differ"
fi
echo "PASS: information, warning and error records reached ReportEventW with their ids and texts"
