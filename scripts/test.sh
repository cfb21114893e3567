#!/usr/bin/env bash
# The one test command: installs what is missing, builds the three trees,
# prepares the Wine test prefix and runs every test through ctest.
#
# Where the host cannot run 32-bit x86 code, the shipped build's suites
# (*.wow64) are reported skipped and the rest must pass. A suite that drives
# windows on the virtual display (label gui) and fails gets one more try;
# every other test counts as it ran the first time. Arguments go to ctest.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${HR_BUILD_ROOT:-$root/build}"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
"$root/scripts/make-prefix.sh"
. "$root/scripts/wine-env.sh"
. "$root/scripts/ia32-lib.sh"

# Once, before the suites: can this host run the shipped 32-bit build?
HR_IA32="$("$root/scripts/ia32-probe.sh" || true)"
export HR_IA32
if [ "$HR_IA32" = yes ]; then
  echo "test: this host runs 32-bit x86 code: the shipped build's suites run"
else
  echo "test: $HR_IA32_SKIPPED (${HR_IA32#no: })"
fi

# One virtual display for every Wine-side test; GUI tests take screenshots of
# it. Xvfb picks a free display number itself and tells it through a pipe.
fifo="$(mktemp -u)"
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 30 display_num < "$fifo" || { echo "test: Xvfb did not start" >&2; exit 1; }
rm -f "$fifo"
export DISPLAY=":$display_num"
export WINEPREFIX="$build/wineprefix"
cleanup() {
  WINEPREFIX="$build/wineprefix" hr_wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap cleanup EXIT

cd "$build/host"
status=0
"$root/scripts/ctest-retry-gui.sh" --output-on-failure --timeout 600 "$@" || status=$?

echo
[ "$HR_IA32" = yes ] || echo "test: $HR_IA32_SKIPPED (${HR_IA32#no: })"
[ "$status" -eq 0 ] && echo "test: all tests passed" || echo "test: FAILED"
exit "$status"
