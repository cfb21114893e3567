#!/usr/bin/env bash
# The update check, 100 ms after the page is up. The library's answer 3 with
# no launcher client: the generic notice over the page, the download page
# only once it is confirmed, exit code 0, no feedback question and no
# removal of the tool's files. Any other answer: nothing at all, and the
# question is asked once only.
source "$(dirname "$0")/lib.sh"

step "a newer version"
dir=$(e2e_folder "newer version")
hr_prepare_folder "$dir" NewVersionResult=3
hr_clear_log
pointer_away
hr_start_tool "$dir"
notice=$(hr_wait_window "$HR_PROMPT_W" "$HR_PROMPT_H" 30) || die "no notice"
sleep 0.5
check "the notice shows over the main window" window_shown "$HR_MAIN_W" "$HR_MAIN_H"
shot update-notice "$notice" >/dev/null
shot update-notice-screen >/dev/null
expect_eq "the version was asked once" 1 "$(journal_count "$dir" GetToolIsNewVersion)"
check "asked with the tool's identifier and version" \
  grep -qx $'GetToolIsNewVersion\t10151\t1.2.24.1010' "$dir/$HR_LIBRARY_JOURNAL"
expect_eq "no download page while the notice is open" 0 "$(journal_count "$dir" OpenToolDownUrl)"
hr_click_in "$notice" $(hr_prompt_confirm)
if hr_wait_tool_exit 20; then
  expect_eq "exit code after the notice" 0 "$HR_TOOL_STATUS"
else
  fail "the tool did not end after the notice"; hr_stop_tool
fi
expect_eq "the download page is opened last" OpenToolDownUrl "$(hr_journal "$dir" | tail -n 1)"
expect_eq "the download page is opened once" 1 "$(journal_count "$dir" OpenToolDownUrl)"
expect_eq "no feedback answer on this path" 0 "$(journal_count "$dir" CustomerFeedback)"
expect_eq "the notice writes no log record" "" "$(log_lines)"
sleep 3.5
check "the tool's files stay after the notice" test -f "$dir/$HR_TOOL_NAME" -a -f "$dir/$HR_LIBRARY_NAME"

# Ten timer periods after the first question there is still only one, and
# the page is there without a notice.
for answer in 0 1 2 4 -1; do
  step "answer $answer"
  dir=$(e2e_folder "answer $answer")
  hr_prepare_folder "$dir" NewVersionResult=$answer
  pointer_away
  hr_start_tool "$dir"
  hr_wait_window "$HR_MAIN_W" "$HR_MAIN_H" 30 >/dev/null || { fail "answer $answer: no main window"; hr_stop_tool; continue; }
  for _ in $(seq 50); do [ "$(journal_count "$dir" GetToolIsNewVersion)" == 0 ] || break; sleep 0.1; done
  sleep 1
  expect_eq "answer $answer: asked once" 1 "$(journal_count "$dir" GetToolIsNewVersion)"
  check "answer $answer: no notice" not window_shown "$HR_PROMPT_W" "$HR_PROMPT_H"
  check "answer $answer: the tool goes on" hr_tool_running
  expect_eq "answer $answer: no download page" 0 "$(journal_count "$dir" OpenToolDownUrl)"
  hr_stop_tool
done
report
