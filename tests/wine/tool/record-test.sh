#!/usr/bin/env bash
# The information record with a library that fills it the way one built with
# the dialog framework does (its "framework" mode): forks, grows and releases
# the six strings through the managers their headers name, keeps copies until
# it is unloaded. The tool starts, hands the fourth string to OpenUrl from
# "更多工具", and closes with exit code 0, every block the library's
# assignments allocated freed exactly once, the tool's own share of each let
# go before the library went.
#
set -euo pipefail
. "$(dirname "$0")/tool-driver.sh"
hr_driver_init
trap hr_stop_tool EXIT

url="https://tools.example.com/more?from=10151&v=1.2.24.1010"
dir=$(hr_new_folder "record ${HR_WIN_ARCH:-x86_64}")
hr_prepare_folder "$dir" InfoMode=framework Info0=a Info2=second "Info3=$url" Info5=sixth
hr_start_tool "$dir"
hr_wait_window $HR_MAIN_W $HR_MAIN_H 30 >/dev/null || hr_fail "no main window (journal: $(hr_journal "$dir"))"
hr_wait_page_ready || hr_fail "the fix page does not take input"

hr_click_control $HR_ID_MORETOOLS || hr_fail "no more-tools button"
sleep 0.5
grep -qxF "$(printf 'OpenUrl\tbstr=%s\t%s' ${#url} "$url")" <<<"$(hr_journal "$dir")" ||
  hr_fail "更多工具 did not open the library's address: $(hr_journal "$dir")"

main=$(hr_wait_window $HR_MAIN_W $HR_MAIN_H 5) || hr_fail "the main window went"
hr_click_in "$main" $(hr_page_close)
fb=$(hr_wait_feedback 15) || hr_fail "no feedback question"
hr_click_in "$fb" $(hr_feedback_solved)
hr_wait_tool_exit 20 || hr_fail "the tool did not end"
[ "$HR_TOOL_STATUS" = 0 ] || hr_fail "exit code $HR_TOOL_STATUS"

journal=$(hr_journal "$dir")
for line in "Info	0	a" "Info	2	second" "Info	3	$url" "Info	5	sixth"; do
  grep -qxF "$line" <<<"$journal" || hr_fail "the library did not write '$line': $journal"
done
grep -q $'^Block\trealloc\t3\t' <<<"$journal" || hr_fail "the long address never grew its block: $journal"
# Blocks live from alloc (or the new side of a realloc) to free (or the old
# side of a realloc); each kept copy must find the library's reference alone.
problems=$(awk -F'\t' '
  $1 == "Block" && $2 == "alloc"   { if (live[$4]) print "allocated while live: " $0; live[$4] = 1; n++ }
  $1 == "Block" && $2 == "realloc" { if (!live[$4]) print "reallocated unknown: " $0; delete live[$4]; live[$5] = 1 }
  $1 == "Block" && $2 == "free"    { if (!live[$4]) print "freed twice or unknown: " $0; delete live[$4] }
  $1 == "Kept" { kept++; if ($3 != "refs=1") print "the tool still held, or let go too often, string " $2 ": " $3 }
  END {
    for (b in live) print "never freed: " b
    if (n == 0) print "no blocks journalled"
    if (kept != 4) print "kept copies released: " kept + 0
  }' <<<"$journal")
[ -z "$problems" ] || hr_fail "$problems"$'\n'"$journal"
echo "PASS"
