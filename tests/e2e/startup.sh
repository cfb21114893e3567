#!/usr/bin/env bash
# Start-up refused: for each failing gate the tool writes its one log record,
# shows a prompt (and no main window), ends with exit code 0 once the prompt
# is confirmed, and leaves its folder alone. The three library failures show
# the same text; the unsupported system shows another, and is checked first.
source "$(dirname "$0")/lib.sh"

# Message band of a 348 x 236 prompt: (10, 30) to (338, 176).
declare -A message=()
declare -A folder=()

refused_start() {  # case name, log text
  local name="$1" text="$2" dir="${folder[$1]}"
  step "$name"
  hr_clear_log
  pointer_away
  hr_start_tool "$dir"
  local prompt
  prompt=$(hr_wait_window "$HR_PROMPT_W" "$HR_PROMPT_H" 30) || { fail "$name: no prompt"; hr_stop_tool; return; }
  sleep 0.5
  check "$name: no main window behind the prompt" not window_shown "$HR_MAIN_W" "$HR_MAIN_H"
  local file; file=$(shot "startup-$name" "$prompt")
  message[$name]="$SHOTS/startup-$name-message.png"
  shots crop "$file" "10 30 338 176" "${message[$name]}"
  check "$name: the tool waits for the prompt" hr_tool_running
  hr_click_in "$prompt" $(hr_prompt_confirm)
  if hr_wait_tool_exit 20; then
    expect_eq "$name: exit code" 0 "$HR_TOOL_STATUS"
  else
    fail "$name: the tool did not end after the prompt"; hr_stop_tool
  fi
  check "$name: log record \"$text\" (got: $(log_lines))" log_is_one_record "$text"
}

folder[no-library]=$(e2e_folder "no library")
cp "$HR_TOOL_EXE" "${folder[no-library]}/"
refused_start no-library "加载反馈DLL失败"

folder[export-missing]=$(e2e_folder "export missing")
hr_prepare_folder "${folder[export-missing]}"
cp "$HR_TESTENV_BIN/noversiondown/$HR_LIBRARY_NAME" "${folder[export-missing]}/$HR_LIBRARY_NAME"
refused_start export-missing "加载反馈DLL失败"

folder[init-fails]=$(e2e_folder "init fails")
hr_prepare_folder "${folder[init-fails]}" InitResult=0
refused_start init-fails "初始化反馈DLL失败"
expect_eq "init-fails: the library was asked to initialise once" 1 "$(journal_count "${folder[init-fails]}" InitFreedbackDll)"
expect_eq "init-fails: no version question after a failed gate" 0 "$(journal_count "${folder[init-fails]}" GetToolIsNewVersion)"

# Windows 8.1 is refused; with the library missing as well, only the system
# check speaks, because it runs first.
folder[old-windows]=$(e2e_folder "old windows")
cp "$HR_TOOL_EXE" "${folder[old-windows]}/"
if set_windows_version win81; then
  refused_start old-windows "此工具不支持当前系统"
else
  fail "winecfg cannot set win81"
fi
hr_winecfg_version "$e2e_version_saved" || fail "cannot put the Windows version back"

step "prompt texts"
check "a missing export shows the missing library's text" shots same "${message[no-library]}" "${message[export-missing]}" 0
check "a failed initialisation shows the missing library's text" shots same "${message[no-library]}" "${message[init-fails]}" 0
check "the unsupported system shows another text" shots differ "${message[no-library]}" "${message[old-windows]}" 200

# The tool's removal would have run three seconds after the exit.
sleep 3.5
for name in "${!folder[@]}"; do
  check "$name: the tool's executable is still there" test -f "${folder[$name]}/$HR_TOOL_NAME"
done
check "export-missing: its library is still there" test -f "${folder[export-missing]}/$HR_LIBRARY_NAME"
check "init-fails: its library is still there" test -f "${folder[init-fails]}/$HR_LIBRARY_NAME"
report
