#!/usr/bin/env bash
# The stack guard works in the build, not just in the compiler's flags: a copy
# that fits comes back; one that overruns the local array ends in libssp's
# deliberate trap (an illegal instruction, 0xc000001d), not in a jump through
# the overwritten return address (an access violation, 0xc0000005), which is
# what the same program does when it is built without the guard.
set -euo pipefail
probe="${1:?stack_guard_probe.exe}"
run="$(cd "$(dirname "$0")/.." && pwd)/wine-run.sh"
fail() { echo "FAIL: $*"; exit 1; }

out="$("$run" "$probe" 16 2>&1 | tr -d '\r')" || fail "a copy that fits did not come back: $out"
[[ "$out" == *returned* ]] || fail "a copy that fits did not come back: $out"

status=0
out="$("$run" "$probe" 64 2>&1 | tr -d '\r')" || status=$?
[[ "$out" != *returned* ]] || fail "an overrun of the local array went unnoticed"
[[ "$out" == *"exception 0xc000001d"* ]] || fail "an overrun did not end in the stack guard's trap (status $status): $out"
echo "PASS: an overrun ends in the stack guard's trap"
