#!/usr/bin/env bash
# Configures and builds the three trees below build/ (or $HR_BUILD_ROOT):
#   build/win32  the shipped i686 tool (and everything else that ships)
#   build/win64  the same sources for x86_64, which the Wine tests run
#   build/host   native unit tests and the ctest registration of every test
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="${HR_JOBS:-$(nproc)}"
build="${HR_BUILD_ROOT:-$root/build}"
type="${HR_BUILD_TYPE:-Release}"

configure() {  # dir, extra args...
  local dir="$1"; shift
  if [ ! -f "$build/$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build/$dir" -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
  fi
}

configure win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686.cmake"
configure win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64.cmake"
configure host -DHR_WIN64_BUILD_DIR="$build/win64" -DHR_WIN32_BUILD_DIR="$build/win32" -DHR_WINE_PREFIX="$build/wineprefix"

for dir in win32 win64 host; do
  echo "build: $dir"
  cmake --build "$build/$dir" -j "$jobs"
done
