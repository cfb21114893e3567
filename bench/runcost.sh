#!/usr/bin/env bash
# The time one uninstall run costs beyond its commands: from the click the
# page accepts to the outcome prompt on the screen, less the time spent
# inside the command runner (the commands' own time and the 500 ms pause
# after each chunk read, both fixed by design). Measured with the tool's
# trace (HR_STARTUP_TRACE) over runs that alternate between removed (three
# commands) and not present (one), with instant stand-ins, in a prefix and on
# a virtual screen of its own.
#
#   bench/runcost.sh [runs] [i686|x86_64...]     (default 20 runs, both builds)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/bench/lib.sh"
runs="${1:-20}"
shift $(( $# > 1 ? 1 : $# ))
arches=("$@")
[ ${#arches[@]} -gt 0 ] || arches=(i686 x86_64)

bench_prefix
export HR_SOURCE_DIR="$root" HR_BUILD_DIR="$build/bench"
unset DISPLAY
mkdir -p "$HR_BUILD_DIR"
for arch in "${arches[@]}"; do
  dir="$(bench_build_dir "$arch")" || exit 2
  trace="$HR_BUILD_DIR/runcost-$arch.txt"
  rm -f "$trace"
  HR_WIN_BUILD_DIR="$dir" HR_WIN_ARCH="$arch" HR_STARTUP_TRACE=1 HR_SOAK_TRACE_OUT="$trace" \
    HR_SOAK_HOVERS=0 HR_SOAK_COUNTS=0 "$root/tests/e2e/soak.sh" "$runs" 1 >/dev/null 2>&1 || echo "runcost: the soak driver reported failures" >&2
  [ -f "$trace" ] || { echo "runcost: no trace for $arch" >&2; continue; }
  /usr/bin/python3 - "$arch" "$trace" <<'PY'
import statistics, sys
arch, path = sys.argv[1], sys.argv[2]
events = []
for line in open(path, encoding='ascii', errors='replace'):
    parts = line.split()
    if len(parts) >= 2 and parts[0].isdigit():
        events.append((int(parts[0]) / 1e4, ' '.join(parts[1:])))  # ms
events.sort()
runs, run = [], None
for t, what in events:
    if what == 'run click':
        if run: runs.append(run)
        run = {'click': t, 'commands': 0.0, 'begin': None, 'shown': None, 'n': 0}
    elif run is None:
        continue
    elif what == 'command begin':
        run['begin'] = t
    elif what == 'command end' and run['begin'] is not None:
        run['commands'] += t - run['begin']; run['n'] += 1; run['begin'] = None
    elif what.startswith('run outcome'):
        run['outcome'] = t
    elif what.startswith('dialog shown') and 'outcome' in run:
        run['shown'] = t
if run: runs.append(run)
done = [r for r in runs if r.get('shown')]
if not done:
    print(f"{arch}: no complete run in the trace"); sys.exit(0)
def report(name, rs):
    if not rs: return
    total = [r['shown'] - r['click'] for r in rs]
    own = [r['commands'] for r in rs]
    extra = [a - b for a, b in zip(total, own)]
    print(f"{arch} {name}: {len(rs)} runs; click to outcome shown {statistics.median(total):.1f} ms, "
          f"in the runner {statistics.median(own):.1f} ms, added by the tool {statistics.median(extra):.1f} ms "
          f"(median; lowest {min(extra):.1f}, highest {max(extra):.1f})")
report("removed (3 commands)", [r for r in done if r['n'] == 3])
report("not present (1 command)", [r for r in done if r['n'] == 1])
PY
done
