#!/usr/bin/env bash
# The main road against Wine's real service manager. With a running
# HubrelayService: the agreement checkbox gates the uninstall button; a
# press on the focused button with the pointer elsewhere starts nothing; a
# run removes the service (outcome 1, no log record) with the progress prompt
# gone before the outcome prompt comes; a second run finds nothing (outcome
# 3). With sc printing English, the removal is still recognised (outcome 1);
# with a PowerShell that prints nothing, the query counts as not run
# (outcome 2) and the service keeps running.
# What the tool did is read from the service manager, the log and the
# windows; the outcome texts are told apart by their pictures.
source "$(dirname "$0")/lib.sh"

run_outcome=""    # the outcome prompt's content window, once a run has ended
run_progress=""   # screenshots of the progress prompt

# Follows the prompts of one run for up to `seconds`. The two 348 x 236
# prompts are told apart by their contents' controls: the progress prompt
# has its status line only, the outcome prompt its buttons and message.
# Fails when both are listed at once or when no outcome comes.
follow_run() {  # name, seconds
  local name="$1" deadline=$((SECONDS + $2)) list progress outcome first_seen=""
  run_outcome=""; run_progress=""
  while [ $SECONDS -lt $deadline ]; do
    list=$(hr_windows)
    progress=$(awk '$4 == 348 && $5 == 236 && $7 == 1 { print $1; exit }' <<< "$list")
    outcome=$(awk '$4 == 348 && $5 == 236 && $7 >= 2 { print $1; exit }' <<< "$list")
    if [ -n "$outcome" ]; then
      [ -z "$progress" ] || fail "$name: the outcome prompt came while the progress prompt was still shown"
      run_outcome=$outcome
      break
    fi
    if [ -n "$progress" ]; then
      if [ -z "$first_seen" ]; then
        first_seen=$EPOCHREALTIME
        run_progress=$(shot "$name-progress" "$progress")
      elif [ "$(wc -w <<< "$run_progress")" == 1 ] &&
           awk -v a="$first_seen" -v b="$EPOCHREALTIME" 'BEGIN { exit !(b - a > 1.2) }'; then
        # A second look a little over a second later shows the dots moving.
        run_progress="$run_progress $(shot "$name-progress-later" "$progress")"
      fi
    fi
    sleep 0.1
  done
  [ -n "$run_outcome" ] || die "$name: no outcome prompt"
}

# The picture of a prompt's message band, for telling the texts apart.
message_of() {  # name, prompt window
  # One more look before giving up: the listing comes from a Wine program
  # of its own and the picture from the X server, either of which can miss
  # a moment; a prompt that is really gone fails both looks.
  local file; file=$(shot "$1" "$2")
  [ -n "$file" ] || file=$(shot "$1" "$2")
  [ -n "$file" ] || { echo "FAIL: $1: no picture of window $2; the tool's windows: $(hr_windows | tr '\n' ';')" >&2; return 1; }
  shots crop "$file" "10 30 338 176" "$SHOTS/$1-message.png"
  echo "$SHOTS/$1-message.png"
}

confirm_outcome() {  # name
  hr_click_in "$run_outcome" $(hr_prompt_confirm)
  pointer_away
  check "$1: the outcome prompt closes" wait_window_gone "$HR_PROMPT_W" "$HR_PROMPT_H" 15
}

# The uninstall button's picture, with the pointer away from it.
button_picture() {  # name
  pointer_away
  sleep 0.4
  local x y
  read -r x y <<< "$(screen_point "$main" 17 17)"
  import -window root -crop "244x48+$((x + 78))+$((y + 478))" +repage "$SHOTS/$1.png"
  echo "$SHOTS/$1.png"
}

nothing_started() {  # what was done
  sleep 1.5
  check "$1: no prompt" not window_shown "$HR_PROMPT_W" "$HR_PROMPT_H"
  check "$1: the service is untouched" service_running
  expect_eq "$1: no log record" "" "$(log_lines)"
}

# ---------------------------------------------------------------------------
step "a registered, running service"
service_install || die "cannot register and start HubrelayService"
dir=$(e2e_folder "main road")
hr_prepare_folder "$dir"
hr_clear_log
pointer_away
# Wine records no event but traces each ReportEventW (type, id; its text).
WINEDEBUG=-all,fixme+advapi,+eventlog hr_start_tool "$dir"
main=$(hr_wait_window "$HR_MAIN_W" "$HR_MAIN_H" 30) || die "no main window"
sleep 1
# The desktop run's Application event: "<type> <id>" and the text's start.
desktop_event() {  # type-hex id-hex answer
  grep -qa "advapi:ReportEventW ([^,]*,0x000$1,0x0000,0x00000$2," "$HR_TOOL_ERR" &&
    grep -a ':eventlog:ReportEventW' "$HR_TOOL_ERR" | grep -qF "L\"$3\\r\\nTessaro Veride Hubrelay uninstall tool 1.2.24.1010\\r\\nmode: desktop"
}

step "the agreement gates the uninstall button"
enabled=$(button_picture uninstall-enabled)
hr_click_in "$main" $(hr_page_checkbox)
disabled=$(button_picture uninstall-disabled)
check "unchecked: the button shows another picture" shots differ "$enabled" "$disabled" 500
sat_enabled=$(shots saturation "$enabled"); sat_disabled=$(shots saturation "$disabled")
check "unchecked: the button turns grey (saturation $sat_enabled -> $sat_disabled)" test "$sat_disabled" -lt $((sat_enabled / 2))
hr_click_in "$main" $(hr_page_uninstall)
nothing_started "a click on the disabled button"
hr_click_in "$main" $(hr_page_checkbox)
check "checked again: the button is back" shots same "$enabled" "$(button_picture uninstall-enabled-again)" 8

step "a keyboard press with the pointer elsewhere"
# Keys go to the window under the pointer on this display (no window
# manager), so the pointer rests on the page's picture, away from the button.
# The checkbox has the focus since its click; the uninstall button is the
# next tab stop.
xdotool mousemove --sync $(screen_point "$main" 217 167); sleep 0.3
xdotool key Tab; sleep 0.3
xdotool key space
nothing_started "space on the focused button, pointer elsewhere"

step "run 1: removed"
# The same key with the pointer on the button starts the run: the focus was
# where the check above needed it.
xdotool mousemove --sync $(screen_point "$main" $(hr_page_uninstall)); sleep 0.4
xdotool key space
pointer_away
follow_run removed 40
check "removed: the progress prompt was seen" test -n "$run_progress"
removed=$(message_of outcome-removed "$run_outcome")
check "removed: Wine's service manager no longer has the service" not service_registered
expect_eq "removed: no log record" "" "$(log_lines)"
check "removed: its event, 1000 information, says RESULT=0 removed" desktop_event 4 3e8 "RESULT=0 removed"
if [ "$(wc -w <<< "$run_progress")" == 2 ]; then
  # The text band across the middle, where the dots grow.
  shots crop "${run_progress% *}" "10 98 338 138" "$SHOTS/progress-band-1.png"
  shots crop "${run_progress#* }" "10 98 338 138" "$SHOTS/progress-band-2.png"
  check "the progress dots move" shots differ "$SHOTS/progress-band-1.png" "$SHOTS/progress-band-2.png" 5
fi
confirm_outcome removed

step "run 2: not present"
hr_clear_log
hr_click_in "$main" $(hr_page_uninstall)
pointer_away
follow_run not-present 30
not_present=$(message_of outcome-not-present "$run_outcome")
check "not present: log record (got: $(log_lines))" log_is_one_record "系统中未找到指定的服务"
check "not present: its event, 1002 information" desktop_event 4 3ea "RESULT=0 not-present"
confirm_outcome not-present
hr_stop_tool

# ---------------------------------------------------------------------------
step "sc in English: the removal is recognised all the same"
service_install || die "cannot register HubrelayService again"
dir=$(e2e_folder "english sc")
hr_prepare_folder "$dir"
hr_clear_log
pointer_away
STANDIN_SC_LANG=en hr_start_tool "$dir"
main=$(hr_wait_window "$HR_MAIN_W" "$HR_MAIN_H" 30) || die "no main window (English sc)"
sleep 1
hr_click_in "$main" $(hr_page_uninstall)
pointer_away
follow_run english 40
check "English sc: the removed text" shots same "$removed" "$(message_of outcome-english "$run_outcome")" 8
expect_eq "English sc: no log record" "" "$(log_lines)"
check "English sc: the service is gone" not service_registered
confirm_outcome english
hr_stop_tool

# ---------------------------------------------------------------------------
step "PowerShell prints nothing: no verdict without a query"
service_install || die "cannot register HubrelayService again"
dir=$(e2e_folder "silent powershell")
hr_prepare_folder "$dir"
hr_clear_log
pointer_away
STANDIN_FAULT=powershell:empty hr_start_tool "$dir"
main=$(hr_wait_window "$HR_MAIN_W" "$HR_MAIN_H" 30) || die "no main window (silent PowerShell)"
sleep 1
hr_click_in "$main" $(hr_page_uninstall)
pointer_away
follow_run failed 40
failed=$(message_of outcome-failed "$run_outcome")
check "failed: log record (got: $(log_lines))" log_is_one_record "执行查询服务失败"
check "failed: the service still runs" service_running
confirm_outcome failed
hr_stop_tool
service_remove || true

step "outcome texts"
check "removed and not present read differently" shots differ "$removed" "$not_present" 200
check "removed and failed read differently" shots differ "$removed" "$failed" 200
check "failed and not present read differently" shots differ "$failed" "$not_present" 200
report
