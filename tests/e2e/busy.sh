#!/usr/bin/env bash
# A run that cannot be cut short or doubled, with a PowerShell that takes
# seconds to answer. Every close aimed at the progress prompt (Alt+F4, the
# system menu's Close, WM_CLOSE, IDCANCEL, on its shadow and on its content)
# leaves it up; uninstall clicks while the run lasts start no second run; the
# run has one outcome. A taskbar Close of the main window during a run is
# held: the run removes the service and shows its outcome, then the feedback
# question comes, once even when asked again, and the tool ends with 0.
source "$(dirname "$0")/lib.sh"

HR_WM_CLOSE=0x0010 HR_WM_COMMAND=0x0111 HR_IDCANCEL=2

progress_content() { hr_windows | awk '$4 == 348 && $5 == 236 && $7 == 1 { print $1 }'; }
outcome_content() { hr_windows | awk '$4 == 348 && $5 == 236 && $7 >= 2 { print $1 }'; }
# The prompt's shadow: the 348 x 236 window without controls.
prompt_shadow() { hr_windows | awk '$4 == 348 && $5 == 236 && $7 == 0 { print $1; exit }'; }
feedback_count() { windows_of_size "$HR_FEEDBACK_W" "$HR_FEEDBACK_H" | grep -c . || true; }
wait_progress() {
  local i
  for i in $(seq 60); do [ -n "$(progress_content)" ] && return 0; sleep 0.2; done
  return 1
}
# An uninstall click as the button sends it, with the pointer on the button,
# whether or not the page takes input just now.
click_uninstall_anyway() {
  xdotool mousemove --sync $(screen_point "$main" $(hr_page_uninstall)); sleep 0.3
  hr_post "$page" $HR_WM_COMMAND 1014 0 || fail "no fix page"
  sleep 1
  pointer_away
}

service_install || die "cannot register and start HubrelayService"
dir=$(e2e_folder "busy")
hr_prepare_folder "$dir"
hr_clear_log
pointer_away
STANDIN_POWERSHELL_DELAY_MS=9000 hr_start_tool "$dir"
main=$(hr_wait_window "$HR_MAIN_W" "$HR_MAIN_H" 30) || die "no main window"
page=$(windows_of_size "$HR_PAGE_W" "$HR_PAGE_H" | head -n 1)
hr_wait_page_ready || die "the fix page does not take input"

# ---------------------------------------------------------------------------
step "closes aimed at the progress prompt"
hr_click_in "$main" $(hr_page_uninstall)
wait_progress || die "no progress prompt"
content=$(progress_content)
shadow=$(prompt_shadow)
xdotool mousemove --sync $(screen_point "$content" 174 60); sleep 0.3
xdotool key alt+F4; sleep 0.5
for w in "$shadow" "$content"; do
  for m in "$HR_WM_SYSCOMMAND $HR_SC_CLOSE" "$HR_WM_CLOSE 0" "$HR_WM_COMMAND $HR_IDCANCEL"; do
    hr_post "$w" $m 0 || fail "$m to $w: no such window"
  done
done
sleep 0.5
expect_eq "the progress prompt stays" "$content" "$(progress_content)"
expect_eq "no outcome yet" "" "$(outcome_content)"

step "uninstall clicks during the run"
click_uninstall_anyway
expect_eq "during the progress prompt: no second progress prompt" "$content" "$(progress_content)"
outcome=""
for _ in $(seq 100); do outcome=$(outcome_content); [ -n "$outcome" ] && break; sleep 0.2; done
[ -n "$outcome" ] || die "no outcome prompt"
click_uninstall_anyway
expect_eq "during the outcome prompt: no progress prompt" "" "$(progress_content)"
expect_eq "one outcome prompt" 1 "$(outcome_content | grep -c .)"
check "removed: the service is gone" not service_registered
hr_click_in "$outcome" $(hr_prompt_confirm)
pointer_away
sleep 2
expect_eq "after the outcome: no further prompt" "" "$(hr_windows | awk '$4 == 348 && $5 == 236 { print $1 }')"
expect_eq "one run, no log record" "" "$(log_lines)"

# ---------------------------------------------------------------------------
step "the taskbar's Close during a run"
service_install || die "cannot register HubrelayService again"
hr_wait_page_ready || die "the fix page does not take input again"
hr_click_in "$main" $(hr_page_uninstall)
wait_progress || die "no progress prompt for the second run"
hr_post "$main" $HR_WM_SYSCOMMAND $HR_SC_CLOSE 0 || fail "no main window"
sleep 1
hr_post "$main" $HR_WM_CLOSE 0 0 || fail "no main window"
sleep 1
check "held: the tool runs on" hr_tool_running
expect_eq "held: no feedback question during the run" 0 "$(feedback_count)"
check "held: the progress prompt stays" test -n "$(progress_content)"
outcome=$(hr_wait_message_prompt 30) || die "no outcome prompt after the held close"
check "held: the run removed the service" not service_registered
expect_eq "held: no feedback question over the outcome" 0 "$(feedback_count)"
hr_click_in "$outcome" $(hr_prompt_confirm)
pointer_away
fb=$(hr_wait_feedback 15) || die "no feedback question after the outcome"
hr_post "$main" $HR_WM_SYSCOMMAND $HR_SC_CLOSE 0 || fail "no main window"
sleep 1.5
expect_eq "one feedback question, also when closed again" 1 "$(feedback_count)"
hr_click_in "$fb" $(hr_feedback_solved)
hr_wait_tool_exit 20 || die "the tool did not end after the answer"
expect_eq "exit code" 0 "$HR_TOOL_STATUS"
expect_eq "the answer reported once" 1 "$(journal_count "$dir" CustomerFeedbackEx)"
expect_eq "no log record" "" "$(log_lines)"
report
