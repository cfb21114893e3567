#!/usr/bin/env bash
# Start-up of the tool against its floor, for both builds: the time from
# starting the Wine loader to both windows of the main pair being on the
# screen, for the tool (in a folder with the stand-in companion library, as
# a user has it) and for bench/floor's program, which does only the work no
# start can skip (GDI+, PNG 144 and 145 decoded, one layered window, one
# content popup). They run in turns, ROUNDS times each, after one start of
# each that is not counted; medians and lower quartiles are printed with
# tool / floor, and the phases of each start from the start-up traces of
# the tool and the floor (medians, milliseconds).
#
#   bench/startup.sh [ROUNDS] [OLD_BUILD_ROOT]
#
# ROUNDS defaults to 15; build with scripts/build.sh first. OLD_BUILD_ROOT,
# the build root of an older version (its win32 and win64 trees), adds that
# tool to the turns as "before", to compare in the same run.
#
# It runs on its own virtual display and in its own prefix (build/benchprefix,
# made by scripts/make-prefix.sh), with one Wine server kept up for all runs,
# so that no run pays for starting it. Run it on a quiet machine: the figures
# are side by side, so their ratio holds better than either time.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/bench/lib.sh"
rounds="${1:-15}"
old="${2:-}"
exe=RemedoTessaroModernHubrelayServiceUninstalled.exe
for b in win32 win64; do
  for f in "src/app/$exe" bench/bin/startup_floor.exe testenv/bin/TessaroFeedbackInformation.dll; do
    [ -f "$build/$b/$f" ] || { echo "startup: $build/$b/$f is missing (run scripts/build.sh)" >&2; exit 1; }
  done
done
if [ -n "$old" ]; then
  old="$(cd "$old" && pwd)"
  for b in win32 win64; do
    [ -f "$old/$b/src/app/$exe" ] || { echo "startup: $old/$b/src/app/$exe is missing" >&2; exit 1; }
  done
fi
bench_prefix

fifo="$(mktemp -u)"
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 30 display_num < "$fifo" || { echo "startup: Xvfb did not start" >&2; exit 1; }
rm -f "$fifo"
export DISPLAY=":$display_num"
cleanup() {
  hr_wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap cleanup EXIT
hr_wineserver -p

echo "startup: $(hr_winecfg_version) prefix, Wine $("$HR_WINE64" --version), $rounds rounds"
for b in win32:i686 win64:x86_64; do
  tree="$build/${b%%:*}" arch="${b##*:}"
  dir="$prefix/drive_c/hr-bench/$arch"
  rm -rf "$dir"
  mkdir -p "$dir"
  cp "$tree/src/app/$exe" "$tree/bench/bin/startup_floor.exe" "$tree/testenv/bin/TessaroFeedbackInformation.dll" "$dir/"
  printf '[Feedback]\r\nInitResult=1\r\nNewVersionResult=0\r\n' > "$dir/TessaroFeedbackInformation.ini"
  programs=("floor=$dir:startup_floor.exe" "tool=$dir:$exe")
  if [ -n "$old" ]; then
    # Its own folder: the library's journal and the trace stay apart.
    mkdir -p "$dir/before"
    cp "$old/${b%%:*}/src/app/$exe" "$dir/TessaroFeedbackInformation.dll" "$dir/TessaroFeedbackInformation.ini" "$dir/before/"
    programs+=("before=$dir/before:$exe")
  fi
  echo "== $arch$([ "$arch" = i686 ] && echo ' (shipped; a WOW64 process)')"
  /usr/bin/python3 "$root/bench/startup_driver.py" 1 434x634,400x600 "${programs[@]}" >/dev/null
  /usr/bin/python3 "$root/bench/startup_driver.py" "$rounds" 434x634,400x600 "${programs[@]}" | grep -v '^run '
done
