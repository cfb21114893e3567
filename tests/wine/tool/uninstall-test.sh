#!/usr/bin/env bash
# One uninstall run against Wine's service manager: a running HubrelayService
# is stopped and deleted, the progress prompt gives way to the outcome
# prompt, the log stays empty; a second run finds nothing and says so (log
# "系统中未找到指定的服务"); closing asks the feedback question ("not solved"
# also opens the question page) and the tool's files go.
set -euo pipefail
. "$(dirname "$0")/tool-driver.sh"
hr_driver_init
screens="${HR_BUILD_DIR:-/tmp}/screens/${HR_WIN_ARCH:-x86_64}"
mkdir -p "$screens"

sc() { hr_sc "$@"; }
cleanup() {
  hr_stop_tool
  sc stop HubrelayService >/dev/null || true
  sc delete HubrelayService >/dev/null || true
}
trap cleanup EXIT

sc delete HubrelayService >/dev/null || true
sc create HubrelayService "binPath=" "$(hr_winpath "$HR_TESTENV_BIN/hubrelay-service.exe")" \
   "DisplayName=" "Tessaro Veride Hubrelay" | grep -q 成功 || hr_fail "cannot register the test service"
sc start HubrelayService | grep -q RUNNING || hr_fail "cannot start the test service"

dir=$(hr_new_folder "uninstall test")
hr_prepare_folder "$dir"
hr_clear_log
hr_start_tool "$dir"
main=$(hr_wait_window $HR_MAIN_W $HR_MAIN_H 30) || hr_fail "no main window"
hr_wait_page_ready || hr_fail "the fix page does not take input"

# Run 1: the service is removed.
hr_click_in "$main" $(hr_page_uninstall)
for _ in $(seq 1 40); do hr_progress_shown && break; sleep 0.25; done
hr_progress_shown || hr_fail "no progress prompt"
progress=$(hr_wait_window $HR_PROMPT_W $HR_PROMPT_H 1)
hr_screenshot "$screens/progress.png" "$progress"
prompt=$(hr_wait_message_prompt 60) || hr_fail "no outcome prompt"
hr_progress_shown && hr_fail "the progress prompt is still shown with the outcome"
hr_screenshot "$screens/outcome-removed.png" "$prompt"
sc query HubrelayService | grep -q SERVICE_NAME && hr_fail "the service is still registered"
[ -z "$(hr_log_text)" ] || hr_fail "a successful removal wrote a log record: $(hr_log_text)"
hr_click_in "$prompt" $(hr_prompt_confirm)
hr_wait_page_ready 20 || hr_fail "the outcome prompt did not close"

# Run 2: nothing left to remove.
hr_click_in "$main" $(hr_page_uninstall)
prompt=$(hr_wait_message_prompt 60) || hr_fail "no outcome prompt for the second run"
hr_log_text | grep -q "系统中未找到指定的服务" || hr_fail "the second run did not log the missing service: $(hr_log_text)"
[ "$(hr_log_text | wc -l)" = 1 ] || hr_fail "unexpected log records: $(hr_log_text)"
hr_screenshot "$screens/outcome-not-present.png" "$prompt"
hr_click_in "$prompt" $(hr_prompt_confirm)
hr_wait_page_ready 20 || hr_fail "the second outcome prompt did not close"

# Close: "not solved".
rm -f "$dir/$HR_LIBRARY_JOURNAL"
hr_click_in "$main" $(hr_page_close)
fb=$(hr_wait_feedback 15) || hr_fail "no feedback question"
hr_click_in "$fb" $(hr_feedback_notsolved)
hr_wait_tool_exit 30 || hr_fail "the tool did not end"
[ "$HR_TOOL_STATUS" = 0 ] || hr_fail "exit code $HR_TOOL_STATUS"
journal=$(hr_journal "$dir")
[ "$(head -n 1 <<<"$journal" | cut -f1,2,3,4,6)" = $'CustomerFeedbackEx\t10151\t1.2.24.1010\t2\t1' ] || hr_fail "journal: $journal"
[ "$(sed -n 2p <<<"$journal")" = $'FeedbackQuestion\t10151\t1.2.24.1010' ] || hr_fail "journal: $journal"
# The two files go one after the other.
for _ in $(seq 1 100); do [ -e "$dir/$HR_TOOL_NAME" ] || [ -e "$dir/$HR_LIBRARY_NAME" ] || break; sleep 0.1; done
[ -e "$dir/$HR_TOOL_NAME" ] && hr_fail "the tool's executable was not removed"
[ -e "$dir/$HR_LIBRARY_NAME" ] && hr_fail "the companion library was not removed"
echo "PASS"
