#!/usr/bin/env bash
# Runs one Windows program (of either build) in the test prefix from its own
# folder: zh-CN locale (ANSI code page 936), quiet debug channels, the loader
# scripts/wine-env.sh decides.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
. "$root/scripts/wine-env.sh"
exe="$1"; shift
hr_standins_clear always
cd "$(dirname "$exe")"
exec "$HR_WINE64" "$exe" "$@"
