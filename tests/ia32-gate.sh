#!/usr/bin/env bash
# Runs a test of the shipped 32-bit build, or reports it skipped (exit code
# 77, which ctest counts as skipped, never as passed) where this host cannot
# run 32-bit x86 code. The test command asks the host once and hands the
# answer down in HR_IA32 ("yes", or "no: <why>"); a test started on its own
# asks itself.
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/ia32-lib.sh"
answer="${HR_IA32:-$("$root/scripts/ia32-probe.sh")}"
if [ "$answer" != yes ]; then
  echo "skipped: $HR_IA32_SKIPPED (${answer#no: })"
  exit 77
fi
exec "$@"
