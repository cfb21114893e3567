#!/usr/bin/env bash
# reproducible.sh i686|x86_64
# Builds the tool of one architecture a second time, from a copy of the
# checkout in another folder, into another build tree, and compares it byte
# for byte with the build under test: a user rebuilding the commit must get
# the file we ship. Only the executable's target is built (two jobs).
set -euo pipefail
arch="${1:?i686 or x86_64}"
src="${HR_SOURCE_DIR:?}"
case "$arch" in
  i686) ref="${HR_WIN32_BUILD_DIR:?}" ;;
  x86_64) ref="${HR_WIN64_BUILD_DIR:?}" ;;
  *) echo "reproducible: unknown architecture $arch" >&2; exit 2 ;;
esac
name=RemedoTessaroModernHubrelayServiceUninstalled
shipped="$ref/src/app/$name.exe"
[ -f "$shipped" ] || { echo "FAIL: no $shipped"; exit 1; }
type="$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$ref/CMakeCache.txt")"

tmp="$(mktemp -d /tmp/hr-rebuild.XXXXXX)"
trap 'rm -rf "$tmp"' EXIT
# A longer, different path than the checkout's, with a space in it.
other="$tmp/another place/checkout"
mkdir -p "$other"
# The files the build sees: tracked and new ones, not what .gitignore keeps out (build/).
(cd "$src" && git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf -) | tar -xf - -C "$other"

cmake -S "$other" -B "$tmp/build-$arch" -DCMAKE_BUILD_TYPE="$type" \
  -DCMAKE_TOOLCHAIN_FILE="$other/cmake/toolchain-$arch.cmake" >/dev/null
start=$SECONDS
cmake --build "$tmp/build-$arch" --target "$name" -j "${HR_JOBS:-2}" >"$tmp/build.log" 2>&1 || {
  tail -20 "$tmp/build.log"; echo "FAIL: the second build failed"; exit 1; }
rebuilt="$tmp/build-$arch/src/app/$name.exe"
echo "rebuilt in $((SECONDS - start)) s: $(sha256sum "$rebuilt" | cut -d' ' -f1)"
echo "shipped:         $(sha256sum "$shipped" | cut -d' ' -f1)"
if ! cmp -s "$shipped" "$rebuilt"; then
  echo "FAIL: the two builds differ ($(cmp -l "$shipped" "$rebuilt" | wc -l) bytes; first offsets, octal values):"
  cmp -l "$shipped" "$rebuilt" | head -8
  exit 1
fi
echo "PASS: byte-identical ($(stat -c %s "$shipped") bytes)"
