#!/usr/bin/env bash
# The log folder taken away from the running tool in the ways a machine can:
# deleted, made unwritable, replaced by a file, its log file held open
# without sharing by another program. Each time, a run that finds nothing
# (and so writes a record) still ends with its outcome and the page takes
# input again; no other prompt appears. Once the folder is usable again the
# next record arrives.
source "$(dirname "$0")/lib.sh"
log_dir="$(dirname "$HR_LOG_FILE")"
holder_pid="" holder_in=""

release() {
  chattr -i "$log_dir" "$HR_LOG_FILE" 2>/dev/null || true
  if [ -n "$holder_pid" ]; then exec {holder_in}>&-; wait "$holder_pid" 2>/dev/null || true; holder_pid=""; fi
  [ -d "$log_dir" ] || rm -f "$log_dir"
  mkdir -p "$log_dir"
}
trap 'release; e2e_finish' EXIT

# One run that finds no service: its outcome prompt, and nothing else.
run_not_present() {  # case
  hr_click_in "$main" $(hr_page_uninstall)
  pointer_away
  local outcome
  outcome=$(hr_wait_message_prompt 30) || { fail "$1: no outcome prompt"; return 1; }
  expect_eq "$1: one prompt" 1 "$(hr_windows | awk '$4 == 348 && $5 == 236 && $7 >= 1' | wc -l)"
  hr_click_in "$outcome" $(hr_prompt_confirm)
  pointer_away
  if hr_wait_page_ready 15; then pass
  else fail "$1: the page takes input again (windows: $(hr_windows | tr '\n' ';'))"; fi
  check "$1: the tool still runs" hr_tool_running
}

service_remove || die "cannot remove HubrelayService"
dir=$(e2e_folder "log faults")
hr_prepare_folder "$dir"
hr_clear_log
mkdir -p "$log_dir"
pointer_away
hr_start_tool "$dir"
main=$(hr_wait_window "$HR_MAIN_W" "$HR_MAIN_H" 30) || die "no main window"
hr_wait_page_ready 20 || die "the fix page does not take input"
run_not_present "a usable folder"
expect_eq "a usable folder: one record" 1 "$(log_lines | grep -c 系统中未找到指定的服务 || true)"

step "the folder deleted"
rm -rf "$log_dir"
run_not_present deleted

step "the folder unwritable"
release
printf '' > "$HR_LOG_FILE"
if chattr +i "$HR_LOG_FILE" "$log_dir" 2>/dev/null; then
  run_not_present unwritable
  check "unwritable: the file is unchanged" test ! -s "$HR_LOG_FILE"
else
  echo "-- chattr is not available here: the unwritable case is not tried"
fi

step "the folder replaced by a file"
release
rm -rf "$log_dir"
printf 'not a folder' > "$log_dir"
run_not_present "replaced by a file"
expect_eq "replaced by a file: the file is untouched" "not a folder" "$(cat "$log_dir")"

step "the log file held open without sharing"
release
rm -f "$HR_LOG_FILE"
exec {holder_in}> >(hr_wine "$HR_TESTENV_BIN/winlist.exe" --hold "$(hr_winpath "$HR_LOG_FILE")" >/dev/null 2>&1)
holder_pid=$!
for _ in $(seq 50); do [ -f "$HR_LOG_FILE" ] && break; sleep 0.1; done
check "held: the holder has the file" test -f "$HR_LOG_FILE"
sleep 0.5
run_not_present held

step "usable again"
release
hr_clear_log
run_not_present "usable again"
expect_eq "usable again: one record" 1 "$(log_lines | grep -c 系统中未找到指定的服务 || true)"

close_through_feedback "$main"
report
