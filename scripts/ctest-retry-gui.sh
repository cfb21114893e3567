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
