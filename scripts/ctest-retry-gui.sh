#!/usr/bin/env bash
# Runs ctest (arguments go to it) in the current build tree. A test labelled
# gui (it drives windows on the virtual display, which with Wine's window
# state can lag on a loaded machine) that fails gets one more try; no other
# test does, and a GUI test that fails twice fails the run. The tests that
# needed the second try are named at the end, so a flaky case is seen.
set -uo pipefail
failed_log=Testing/Temporary/LastTestsFailed.log
rm -f "$failed_log"
ctest "$@" && exit 0
# Any later ctest run, the listing below included, overwrites its log.
first_log=Testing/Temporary/LastTest.first-attempt.log
cp Testing/Temporary/LastTest.log "$first_log" 2>/dev/null || true
[ -f "$failed_log" ] || exit 1

# Lines "number:name"; the second run names its tests by number.
mapfile -t failed < "$failed_log"
gui="$(ctest -N -L '^gui$' | sed -n 's/^ *Test *#[0-9]*: //p')"
retried=() numbers="" others=()
for t in "${failed[@]}"; do
  if grep -qxF "${t#*:}" <<<"$gui"; then retried+=("${t#*:}"); numbers+=",${t%%:*}"; else others+=("${t#*:}"); fi
done
[ "${#retried[@]}" -gt 0 ] || exit 1

echo
echo "test: a second try for the GUI tests that failed: ${retried[*]}"
# Only the options that shape a run are kept for the second one.
keep=()
while [ $# -gt 0 ]; do
  case "$1" in
    --timeout) keep+=("$1" "$2"); shift ;;
    --output-on-failure|-V|--verbose) keep+=("$1") ;;
  esac
  shift
done
# The first attempt's log is kept beside ctest's, and each retried test's
# part of it is printed, so that a flaky case can be diagnosed from the
# run's output alone.
for t in "${retried[@]}"; do
  echo "test: first attempt of $t (kept in $PWD/$first_log):"
  awk -v name="$t" '
    index($0, "Testing: " name) && length($0) == index($0, "Testing: " name) + length("Testing: " name) - 1 { on = 1 }
    on { print "  | " $0 }
    on && index($0, "\"" name "\" end time") { on = 0 }' "$first_log" | tail -n 80
done
rm -f "$failed_log"
ctest "${keep[@]}" --no-tests=error -I "0,0,0$numbers"
second=$?
twice=()
[ -f "$failed_log" ] && mapfile -t twice < <(sed 's/^[0-9]*://' "$failed_log")
flaky=()
for t in "${retried[@]}"; do
  printf '%s\n' "${twice[@]}" | grep -qxF "$t" || flaky+=("$t")
done
echo
[ "${#flaky[@]}" -eq 0 ] || echo "test: passed only at the second try (flaky): ${flaky[*]}"
[ "${#twice[@]}" -eq 0 ] || echo "test: failed twice: ${twice[*]}"
[ "${#others[@]}" -eq 0 ] || echo "test: failed (no second try, not a GUI test): ${others[*]}"
[ "${#others[@]}" -eq 0 ] && [ "$second" -eq 0 ]
