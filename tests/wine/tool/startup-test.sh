#!/usr/bin/env bash
# The start-up gates and the update notice, each ending the tool with exit
# code 0 once its prompt has been confirmed, before the main window is used:
#   companion library missing     -> log "加载反馈DLL失败", folder left alone
#   library initialisation fails  -> log "初始化反馈DLL失败"
#   library lacks one export      -> log "加载反馈DLL失败"
#   a newer version (answer 3)    -> generic notice, then the download page
#   answers 0 and 4               -> no notice, the tool stays usable (and
#                                    its minimise button works)
#   the start-up trace            -> written only when asked for, only into a
#                                    new file beside the tool, its marks in order
set -euo pipefail
. "$(dirname "$0")/tool-driver.sh"
hr_driver_init
trap hr_stop_tool EXIT
screens="${HR_BUILD_DIR:-/tmp}/screens/${HR_WIN_ARCH:-x86_64}"
mkdir -p "$screens"

# Starts the tool, expects a prompt, confirms it and expects exit code 0. A
# failed gate shows its prompt before the main window is ever shown.
expect_prompt_then_exit() {  # dir screenshot-name [gate]
  hr_start_tool "$1"
  local prompt
  prompt=$(hr_wait_message_prompt 30) || hr_fail "$2: no prompt"
  if [ "${3:-}" = gate ] && hr_window_shown $HR_MAIN_W $HR_MAIN_H; then
    hr_fail "$2: the main window came up"
  fi
  sleep 0.5
  hr_screenshot "$screens/$2.png" "$prompt"
  hr_tool_running || hr_fail "$2: the tool ended before the prompt was confirmed"
  hr_click_in "$prompt" $(hr_prompt_confirm)
  hr_wait_tool_exit 20 || hr_fail "$2: the tool did not end after the prompt"
  [ "$HR_TOOL_STATUS" = 0 ] || hr_fail "$2: exit code $HR_TOOL_STATUS"
}

log_has() { hr_log_text | grep -qF "$1"; }

# 1. No companion library beside the tool.
dir=$(hr_new_folder "no library")
cp "$HR_TOOL_EXE" "$dir/"
hr_clear_log
expect_prompt_then_exit "$dir" gate-no-library gate
log_has "加载反馈DLL失败" || hr_fail "no log record for the missing library: $(hr_log_text)"
[ "$(hr_log_text | wc -l)" = 1 ] || hr_fail "more than the one record: $(hr_log_text)"
sleep 4  # a start-up failure does not remove the tool's folder
[ -e "$dir/$HR_TOOL_NAME" ] || hr_fail "a start-up failure removed the tool"

# 2. The library refuses to initialise.
dir=$(hr_new_folder "init fails")
hr_prepare_folder "$dir" InitResult=0
hr_clear_log
expect_prompt_then_exit "$dir" gate-init-fails gate
log_has "初始化反馈DLL失败" || hr_fail "no log record for the failed initialisation: $(hr_log_text)"
grep -q '^InitFreedbackDll' <<<"$(hr_journal "$dir")" || hr_fail "the library was never asked to initialise"
grep -q '^GetToolIsNewVersion' <<<"$(hr_journal "$dir")" && hr_fail "the version was asked after a failed gate"

# 3. A library without GetToolIsNewVersionDown, which the tool never calls.
dir=$(hr_new_folder "export missing")
hr_prepare_folder "$dir"
cp "$HR_TESTENV_BIN/noversiondown/$HR_LIBRARY_NAME" "$dir/$HR_LIBRARY_NAME"
hr_clear_log
expect_prompt_then_exit "$dir" gate-export-missing gate
log_has "加载反馈DLL失败" || hr_fail "no log record for the incomplete library: $(hr_log_text)"

# 4. A newer version exists and no launcher client is attached.
dir=$(hr_new_folder "newer version")
hr_prepare_folder "$dir" NewVersionResult=3
hr_clear_log
expect_prompt_then_exit "$dir" update-notice
journal=$(hr_journal "$dir")
grep -q $'^GetToolIsNewVersion\t10151\t1.2.24.1010$' <<<"$journal" || hr_fail "version not asked: $journal"
[ "$(tail -n 1 <<<"$journal")" = OpenToolDownUrl ] || hr_fail "the download page was not opened last: $journal"
[ -z "$(hr_log_text)" ] || hr_fail "the update notice wrote a log record"

# 5. Any other answer: no notice, asked once, and the page stays usable.
for answer in 0 4; do
  dir=$(hr_new_folder "answer $answer")
  hr_prepare_folder "$dir" NewVersionResult=$answer
  hr_start_tool "$dir"
  main=$(hr_wait_window $HR_MAIN_W $HR_MAIN_H 30) || hr_fail "answer $answer: no main window"
  hr_wait_page_ready || hr_fail "answer $answer: the fix page does not take input"
  sleep 1
  hr_window_shown $HR_PROMPT_W $HR_PROMPT_H && hr_fail "answer $answer: a notice came up"
  [ "$(hr_journal "$dir" | grep -c '^GetToolIsNewVersion')" = 1 ] || hr_fail "answer $answer: version asked $(hr_journal "$dir" | grep -c '^GetToolIsNewVersion') times"
  hr_tool_running || hr_fail "answer $answer: the tool ended"
  [ -e "$dir/startup-trace.txt" ] && hr_fail "answer $answer: a start-up trace nobody asked for"
  if [ "$answer" = 4 ]; then
    # The minimise button takes the pair off the screen.
    hr_click_control $HR_ID_MINIMIZE
    sleep 1.5
    hr_window_shown $HR_PAGE_W $HR_PAGE_H && hr_fail "minimised, the fix page is still shown"
    hr_tool_running || hr_fail "minimising ended the tool"
    hr_post "$main" $HR_WM_SYSCOMMAND $HR_SC_RESTORE 0
    hr_wait_page_ready || hr_fail "restored, the fix page did not come back"
    # The system menu's Close (as the taskbar sends it) asks the feedback
    # question too.
    hr_post "$main" $HR_WM_SYSCOMMAND $HR_SC_CLOSE 0
    fb=$(hr_wait_feedback 15) || hr_fail "the system menu's Close did not ask the feedback question"
    hr_click_in "$fb" $(hr_feedback_other)
    hr_wait_tool_exit 20 || hr_fail "the tool did not end after the system menu's Close"
    continue
  fi
  hr_click_in "$main" $(hr_page_close)
  fb=$(hr_wait_feedback 15) || hr_fail "answer $answer: no feedback question"
  hr_click_in "$fb" $(hr_feedback_other)
  hr_wait_tool_exit 20 || hr_fail "answer $answer: the tool did not end"
  [ "$HR_TOOL_STATUS" = 0 ] || hr_fail "answer $answer: exit code $HR_TOOL_STATUS"
  grep -q $'^CustomerFeedbackEx\t10151\t1.2.24.1010\t3\t' <<<"$(hr_journal "$dir")" || hr_fail "answer $answer: no 'other' answer"
  [ "$(hr_journal "$dir" | tail -n 1)" = $'FeedbackQuestion\t10151\t1.2.24.1010' ] || hr_fail "answer $answer: 'other' did not ask the question page"
done

# 6. The start-up trace, asked for: the phases in the order they run, the
# clock never going back. A file already standing under its name (it could
# be a link to some other file) is left as it was.
dir=$(hr_new_folder "trace")
for existing in no yes; do
  hr_prepare_folder "$dir"
  rm -f "$dir/startup-trace.txt"
  [ "$existing" = yes ] && printf 'kept\n' > "$dir/startup-trace.txt"
  HR_STARTUP_TRACE=1 hr_start_tool "$dir"
  hr_wait_window $HR_MAIN_W $HR_MAIN_H 30 >/dev/null || hr_fail "trace: no main window"
  hr_wait_page_ready || hr_fail "trace: the fix page does not take input"
  hr_stop_tool
  trace=$(cat "$dir/startup-trace.txt")
  if [ "$existing" = yes ]; then
    [ "$trace" = kept ] || hr_fail "trace: an existing file was written to: $trace"
    continue
  fi
  order=$(awk '{ $1 = ""; sub(/^ /, ""); print }' <<<"$trace" | grep -xn -e 'process created' -e wWinMain \
    -e 'GDI+ started' -e 'common controls' -e 'dialog init 102' -e 'PNG decoded 144' -e 'dialog init 141' \
    -e 'launcher scan done' -e 'system checked' -e 'library initialised' -e 'dialog init done 141' \
    -e 'dialog init done 102' | cut -d: -f2 | tr '\n' ,)
  [ "$order" = "process created,wWinMain,GDI+ started,common controls,dialog init 102,PNG decoded 144,dialog init 141,launcher scan done,system checked,library initialised,dialog init done 141,dialog init done 102," ] ||
    hr_fail "trace: marks out of order: $order"
  awk 'NR > 1 && $1 < last { bad = 1 } { last = $1 } END { exit bad }' <<<"$trace" || hr_fail "trace: the clock went back: $trace"
done
echo "PASS"
