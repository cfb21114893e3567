#!/usr/bin/env bash
# Runs the operating-system gate tests under Windows versions set with
# `winecfg -v`, then puts the prefix's version back: other tests share it.
set -euo pipefail
exe="${1:?engine_tests.exe}"
run="$(cd "$(dirname "$0")/.." && pwd)/wine-run.sh"
. "$(cd "$(dirname "$0")/../../.." && pwd)/scripts/wine-env.sh"

original="$(hr_winecfg_version)"
restore() { hr_winecfg_version "$original" || true; }
trap restore EXIT
echo "prefix version: $original"

status=0
check() {  # wine version name, expected pair, expected answer
  local name="$1" pair="$2" supported="$3"
  if ! hr_winecfg_version "$name" || [ "$(hr_winecfg_version)" != "$name" ]; then
    echo "FAIL: winecfg cannot set $name"; status=1; return
  fi
  echo "== $name: expecting $pair, supported $supported"
  if ! HR_EXPECT_OS_VERSION="$pair" HR_EXPECT_SUPPORTED="$supported" \
       "$run" "$exe" --gtest_filter='OsGate.EnvironmentBlock*:OsGate.AnswerFollows*'; then
    status=1
  fi
}

# The prefix's own version first, as it is.
echo "== $original (unchanged)"
"$run" "$exe" --gtest_filter='OsGate.EnvironmentBlock*:OsGate.AnswerFollows*' || status=1

check winxp64 5.2 0
check win81 6.3 0
check win8 6.2 0
check win7 6.1 1
check win10 10.0 1
exit $status
