#!/usr/bin/env bash
# The host probe and the gate in front of every shipped-build suite: a probe
# told to fail skips the suite (exit 77, the command never started) with the
# plain reason; a yes runs it and hands back its exit code; the real probe
# agrees with Wine's 32-bit loader where that is installed.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
gate="$root/tests/ia32-gate.sh"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
marker="$(mktemp -u)"

out="$(env -u HR_IA32 HR_IA32_PROBE=fail "$gate" touch "$marker")"; rc=$?
[ "$rc" = 77 ] || fail "told to fail: exit code $rc, expected 77"
[ ! -e "$marker" ] || fail "told to fail: the suite ran all the same"
grep -qF "this host cannot run 32-bit x86 code: the shipped build's suites were skipped; the x86_64 twin's ran" <<<"$out" ||
  fail "told to fail: no plain reason in '$out'"

HR_IA32=yes "$gate" sh -c 'exit 3'; rc=$?
[ "$rc" = 3 ] || fail "yes: the suite's exit code became $rc"
HR_IA32="no: handed down" "$gate" true >/dev/null; rc=$?
[ "$rc" = 77 ] || fail "a handed-down no: exit code $rc"

answer="$(env -u HR_IA32_PROBE "$root/scripts/ia32-probe.sh")"; rc=$?
case "$answer" in yes) [ "$rc" = 0 ] ;; no:*) [ "$rc" = 1 ] ;; *) false ;; esac || fail "probe: '$answer' with exit code $rc"
if [ -x /usr/lib/wine/wine ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then loader=yes; else loader=no; fi
  [ "${answer%%:*}" = "$loader" ] || fail "probe says '$answer', Wine's 32-bit loader runs: $loader"
fi
echo "probe: $answer"
[ "$failures" -eq 0 ] && echo "ia32 gate: all checks passed"
exit $((failures > 0))
