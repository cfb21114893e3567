#!/usr/bin/env bash
# GDI+ decoding times, under Wine, of the pictures the tool decodes before
# its window shows (PNG 144, 145 and the fix page's sixteen button states),
# for both builds: mean and best of ROUNDS decodes each, and the sum of the
# means. With a git revision, that revision's pictures are decoded in the
# same turns, to compare how they were packed.
#
#   bench/decode.sh [ROUNDS] [REVISION]     default 200; e.g. 200 1eb2536
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/bench/lib.sh"
rounds="${1:-200}"
rev="${2:-}"
ids="144 145 147 148 149 150 153 154 155 156 161 162 163 164 197 198 199 200"
for b in win32 win64; do
  [ -f "$build/$b/bench/bin/png_decode.exe" ] || { echo "decode: $build/$b/bench/bin/png_decode.exe is missing (run scripts/build.sh)" >&2; exit 1; }
done
bench_prefix
unset DISPLAY
trap 'hr_wineserver -k >/dev/null 2>&1 || true' EXIT

dir="$prefix/drive_c/hr-bench/decode"
rm -rf "$dir"
mkdir -p "$dir/now" "$dir/before"
files=()
for id in $ids; do
  cp "$root/src/res/png/$id.png" "$dir/now/"
  files+=("now/$id.png")
  if [ -n "$rev" ]; then
    git -C "$root" show "$rev:src/res/png/$id.png" > "$dir/before/$id.png"
    files+=("before/$id.png")
  fi
done
for b in win32:i686 win64:x86_64; do
  cp "$build/${b%%:*}/bench/bin/png_decode.exe" "$dir/"
  echo "== ${b##*:}: ms per decode, mean and best of $rounds, $(hr_winecfg_version) prefix"
  ( cd "$dir" && "$HR_WINE64" ./png_decode.exe "$rounds" "${files[@]}" ) | tr -d '\r' | awk '
    { split($1, p, "/"); set = p[1]; id = p[2]; sub(/\.png$/, "", id)
      if (!(id in seen)) { seen[id] = 1; ids[++n] = id }
      mean[set, id] = $2; best[set, id] = $3; sum[set] += $2; sets[set] = 1 }
    END {
      before = ("before" in sets)
      printf "  %-4s %18s%s\n", "PNG", "now: mean, best", before ? "   before: mean, best" : ""
      for (i = 1; i <= n; i++) {
        id = ids[i]
        line = sprintf("  %-4s %9.3f %8.3f", id, mean["now", id], best["now", id])
        if (before) line = line sprintf("   %9.3f %8.3f", mean["before", id], best["before", id])
        print line
      }
      printf "  sum of the means: now %.2f ms", sum["now"]
      if (before) printf ", before %.2f ms", sum["before"]
      printf "\n"
    }'
done
