#!/usr/bin/env bash
# Many uninstall runs in one process of the tool, the outcomes alternating
# between removed (a running HubrelayService) and not present. Every run
# shows exactly one progress prompt and then one outcome prompt and nothing
# hangs; the log ends up with exactly one record per "not present" run; and
# what the process holds (GDI objects, windows, kernel handles, private
# memory, counted inside it by the stand-in library's sampler) does not grow
# between the end of the warm-up and the last run.
#
#   soak.sh [runs] [warm-up runs]      (default 50 and 5)
# HR_SOAK_HOVERS (default 100) pointer moves in and out of the agreement
# link follow, with the same counts before and after. With HR_SOAK_FIGURES=1
# it also prints the counts on one line for the benchmark scripts.
source "$(dirname "$0")/lib.sh"
runs="${1:-50}"
warmup="${2:-5}"

counts_of() {  # dir -> "gdi user handles private" from a fresh sample
  # HR_SOAK_COUNTS=0 (the run-cost benchmark): no sampler, counts of nought.
  if [ "${HR_SOAK_COUNTS:-1}" == 0 ]; then echo 0 0 0 0; return 0; fi
  rm -f "$1/TessaroFeedbackInformation.counts"
  hr_wine "$HR_TESTENV_BIN/winlist.exe" --sample "$HR_TOOL_WINPATH" >/dev/null || return 1
  awk '{ v[$1] = $2 } END { print v["gdi"], v["user"], v["handles"], v["private"] }' \
    "$1/TessaroFeedbackInformation.counts" | tr -d '\r'
}

# Follows one run: the progress prompt, then the outcome prompt, never two
# prompts at once and never a second outcome. Prints nothing; fails the run.
one_run() {  # number, seconds
  local n="$1" deadline=$((SECONDS + $2)) list prompts progress="" outcome=""
  while [ $SECONDS -lt $deadline ]; do
    list=$(hr_windows)
    prompts=$(awk '$4 == 348 && $5 == 236 && $7 >= 1' <<< "$list" | wc -l)
    [ "$prompts" -le 1 ] || { fail "run $n: $prompts prompts at once"; echo "$list" >&2; return 1; }
    [ -n "$progress" ] || progress=$(awk '$4 == 348 && $5 == 236 && $7 == 1 { print $1; exit }' <<< "$list")
    outcome=$(awk '$4 == 348 && $5 == 236 && $7 >= 2 { print $1; exit }' <<< "$list")
    [ -z "$outcome" ] || break
    sleep 0.1
  done
  [ -n "$outcome" ] || { fail "run $n: no outcome prompt within $2 s"; return 1; }
  [ -n "$progress" ] || fail "run $n: no progress prompt was seen"
  hr_click_in "$outcome" $(hr_prompt_confirm)
  pointer_away
  hr_wait_page_ready 15 || { fail "run $n: the page does not take input after the outcome"; return 1; }
  # The outcome prompt is gone and no other one came in its place.
  [ -z "$(hr_windows | awk '$4 == 348 && $5 == 236 && $7 >= 1')" ] || fail "run $n: a prompt is still shown"
  pass
}

step "$runs runs in one process ($warmup to warm up)"
dir=$(e2e_folder soak)
hr_prepare_folder "$dir" "Sampler=${HR_SOAK_COUNTS:-1}"
hr_clear_log
pointer_away
# A query that takes a moment keeps each progress prompt up long enough to
# be seen by the window list, however busy the machine.
STANDIN_POWERSHELL_DELAY_MS=700 hr_start_tool "$dir"
main=$(hr_wait_window "$HR_MAIN_W" "$HR_MAIN_H" 30) || die "no main window"
hr_wait_page_ready 20 || die "the fix page does not take input"

first="" warm="" last="" trail="" removed=0 absent=0
service_install >/dev/null && service_remove || die "cannot prepare the service manager"
service_bin="$(hr_winpath "$HR_TESTENV_BIN/hubrelay-service.exe")"
service_add() {
  sc_ create HubrelayService binPath= "\"$service_bin\"" DisplayName= "Tessaro Veride Hubrelay" | grep -q 成功 || return 1
  sc_ start HubrelayService >/dev/null
  local i
  for i in $(seq 50); do service_running && return 0; sleep 0.1; done
  return 1
}
for n in $(seq "$runs"); do
  # Odd runs find a running service, which the run removes for the next.
  if [ $((n % 2)) == 1 ]; then service_add || die "run $n: cannot register HubrelayService"; fi
  hr_click_in "$main" $(hr_page_uninstall)
  pointer_away
  one_run "$n" 40 || die "run $n did not end as it should"
  if [ $((n % 2)) == 1 ]; then
    check "run $n: the service was removed" not service_registered
    removed=$((removed + 1))
  else
    absent=$((absent + 1))
  fi
  # One sample after the first run and after each run past the warm-up.
  if [ "$n" == 1 ] || [ "$n" -ge "$warmup" ]; then
    last=$(counts_of "$dir") || die "no counts from the sampler after run $n"
    [ -n "$first" ] || first="$last"
    if [ "$n" -ge "$warmup" ]; then
      [ -n "$warm" ] || warm="$last"
      trail+=" $(cut -d' ' -f4 <<< "$last")"
    fi
  fi
done
[ -n "$warm" ] || warm="$first"

# The agreement link repaints in its hover colour and back each time the
# pointer enters and leaves it (the page polls the pointer every 100 ms).
hovers="${HR_SOAK_HOVERS:-100}"
if [ "$hovers" -gt 0 ]; then
  step "$hovers hover repaints of the agreement link"
  read -r lx ly lw lh _ <<< "$(hr_control "$HR_ID_AGREEMENT")" || die "no agreement link"
  before_hover="$last"
  for _ in $(seq $((hovers / 2))); do
    xdotool mousemove $((lx + lw / 2)) $((ly + lh / 2)); sleep 0.12
    xdotool mousemove 3 3; sleep 0.12
  done
  hovered=$(counts_of "$dir") || die "no counts after hovering"
  read -r gb ub hb pb <<< "$before_hover"
  read -r gh uh hh ph <<< "$hovered"
  echo "after $hovers hover repaints: gdi $gb -> $gh, windows $ub -> $uh, handles $hb -> $hh, private $pb -> $ph bytes"
  check "hover repaints keep the GDI objects ($gb -> $gh)" test "$gh" -le $((gb + 8))
  check "hover repaints keep the handles ($hb -> $hh)" test "$hh" -le "$hb"
fi

step "the log and what the process holds"
expect_eq "one record per run that found nothing" "$absent" \
  "$(log_lines | grep -cE '^\[[0-9 :ms-]+\]   系统中未找到指定的服务$' || true)"
expect_eq "no other record" "$absent" "$(log_lines | grep -c . || true)"
read -r g1 u1 h1 p1 <<< "$first"
read -r gw uw hw pw <<< "$warm"
read -r gn un hn pn <<< "$last"
echo "after run 1:       gdi $g1, windows $u1, handles $h1, private $p1 bytes"
echo "after run $warmup:       gdi $gw, windows $uw, handles $hw, private $pw bytes"
echo "after run $runs:      gdi $gn, windows $un, handles $hn, private $pn bytes"
# Wine's GDI+ and font caches keep a few objects more or fewer from one
# moment to the next; one object a run would show as dozens.
check "GDI objects do not grow ($gw -> $gn)" test "$gn" -le $((gw + 8))
check "windows do not grow ($uw -> $un)" test "$un" -le "$uw"
check "kernel handles do not grow ($hw -> $hn)" test "$hn" -le "$hw"
# The heap settles in steps; a leak of even a few hundred bytes a run shows
# over the runs as more than this.
echo "private bytes after each run from run $warmup:$trail"
check "private memory stays within 256 KiB ($pw -> $pn)" test "$pn" -le $((pw + 262144))
if [ "${HR_SOAK_FIGURES:-0}" == 1 ]; then
  echo "figures: runs=$runs warmup=$warmup first=$first warm=$warm last=$last hovers=$hovers hovered=${hovered:-}"
fi

# The tool's own trace, when the benchmark asked for one (HR_STARTUP_TRACE).
if [ -n "${HR_SOAK_TRACE_OUT:-}" ]; then cp "$dir/startup-trace.txt" "$HR_SOAK_TRACE_OUT" || fail "no trace"; fi

step "the tool still closes"
close_through_feedback "$main"
report
