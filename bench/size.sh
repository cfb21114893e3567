#!/usr/bin/env bash
# Prints where the bytes of the tool go, for both builds: file size, bytes
# per section and per resource kind. Other executables may be named instead
# (an older build, to compare).
#
#   bench/size.sh                 build/win32 (shipped) and build/win64
#   bench/size.sh old.exe new.exe
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${HR_BUILD_ROOT:-$root/build}"
exe=RemedoTessaroModernHubrelayServiceUninstalled.exe
if [ $# -eq 0 ]; then
  set -- "$build/win32/src/app/$exe" "$build/win64/src/app/$exe"
fi
for f in "$@"; do
  [ -f "$f" ] || { echo "size: $f is missing (scripts/build.sh builds it)" >&2; exit 1; }
done
/usr/bin/python3 "$root/bench/pe_size.py" "$@"
