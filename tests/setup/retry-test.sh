#!/usr/bin/env bash
# The test command's second try, on a scratch ctest project: a GUI test that
# fails once passes the run and is named as flaky; a GUI test that fails
# twice fails it; any other test is run once, and its failure fails the run.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# Each test counts its runs in a file of its own; "flaky" fails its first.
cat > "$work/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.20)
project(retry NONE)
enable_testing()
function(scratch name label script)
  add_test(NAME \${name} COMMAND sh -c "echo x >> $work/\${name}.runs; \${script}")
  if(label)
    set_property(TEST \${name} PROPERTY LABELS \${label})
  endif()
endfunction()
scratch(flaky.gui gui "echo first-try-said-this-\\\$(wc -l < $work/flaky.gui.runs); [ \\\$(wc -l < $work/flaky.gui.runs) -ge 2 ]")
scratch(broken.gui gui "exit 1")
scratch(broken.plain "" "exit 1")
scratch(fine "" "exit 0")
CMAKE
cmake -S "$work" -B "$work/b" >/dev/null || { echo "FAIL: cannot configure the scratch project"; exit 1; }
cd "$work/b"
runs() { [ -f "$work/$1.runs" ] && wc -l < "$work/$1.runs" || echo 0; }
try() {  # regex -> output; exit code in $rc
  rm -f "$work"/*.runs
  out="$("$root/scripts/ctest-retry-gui.sh" --timeout 60 -R "$1" 2>&1)"; rc=$?
}

try '^(flaky\.gui|fine)$'
[ "$rc" = 0 ] || fail "a GUI test that fails once failed the run"
grep -q "flaky.*: flaky\.gui" <<<"$out" || fail "the flaky test is not named: $out"
[ "$(runs fine)" = 1 ] || fail "a passing test ran $(runs fine) times"
grep -q "| first-try-said-this-1" <<<"$out" || fail "the first attempt's output is not shown: $out"
grep -q "first-try-said-this-1" Testing/Temporary/LastTest.first-attempt.log ||
  fail "the first attempt's log is not kept"

try '^broken\.gui$'
[ "$rc" != 0 ] || fail "a GUI test that fails twice passed the run"
[ "$(runs broken.gui)" = 2 ] || fail "the broken GUI test ran $(runs broken.gui) times"
grep -q "failed twice: broken\.gui" <<<"$out" || fail "the GUI test that failed twice is not named: $out"

try '^(broken\.plain|flaky\.gui)$'
[ "$rc" != 0 ] || fail "a failing test that is not a GUI test passed the run"
[ "$(runs broken.plain)" = 1 ] || fail "a test that is not a GUI test got $(runs broken.plain) tries"

[ "$failures" -eq 0 ] && echo "second try: all checks passed"
exit $((failures > 0))
