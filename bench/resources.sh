#!/usr/bin/env bash
# What one process of the tool holds after 1 uninstall run, after the
# warm-up and after many runs, and before and after many hover repaints of
# the agreement link: GDI objects, windows, kernel handles and private
# memory, counted inside the process by the stand-in library's sampler.
# Driven without a person (stand-in commands, scripted pointer), in a prefix
# and on a virtual screen of its own.
#
#   bench/resources.sh [runs] [hover repaints] [i686|x86_64...]
#   (defaults: 200 runs, 10000 repaints, both builds; about 30 minutes a build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/bench/lib.sh"
runs="${1:-200}"
hovers="${2:-10000}"
shift $(( $# > 2 ? 2 : $# ))
arches=("$@")
[ ${#arches[@]} -gt 0 ] || arches=(i686 x86_64)

bench_prefix
export HR_SOURCE_DIR="$root" HR_BUILD_DIR="$build/bench"
unset DISPLAY
mkdir -p "$HR_BUILD_DIR"
for arch in "${arches[@]}"; do
  dir="$(bench_build_dir "$arch")" || exit 2
  echo "== $arch ($dir): $runs runs, $hovers hover repaints"
  HR_WIN_BUILD_DIR="$dir" HR_WIN_ARCH="$arch" HR_SOAK_FIGURES=1 HR_SOAK_HOVERS="$hovers" \
    "$root/tests/e2e/soak.sh" "$runs" 5 | grep -E '^(after|figures|[0-9]+ checks|FAIL)' || true
done
