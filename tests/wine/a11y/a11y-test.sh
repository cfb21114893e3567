#!/usr/bin/env bash
# What a screen reader announces, read through Wine's oleacc as NVDA or
# Narrator would: the names of the windows and controls of the start, a run
# (the progress prompt), its outcome and the feedback question, and which
# control holds the keyboard focus once each window has appeared. The same
# steps show the tool worked from the keyboard alone: Tab moves through a
# window, Space presses the buttons without the cursor rule, the uninstall
# and the two answers ignore it, Alt+Space reaches the main window's system
# menu and its About entry.
set -euo pipefail
. "$(dirname "$0")/../tool/tool-driver.sh"
hr_driver_init
READER="$HR_WIN_BUILD_DIR/tests/wine/a11y/a11y_reader.exe"
[ -f "$READER" ] || hr_fail "reader not built: $READER"
cleanup() { hr_stop_tool; hr_sc delete HubrelayService >/dev/null 2>&1 || true; }
trap cleanup EXIT

TITLE="Tessaro Veride Hubrelay 服务卸载工具"
PROGRESS="Tessaro Veride Hubrelay 服务卸载中，请稍等"
NOT_PRESENT="因为未能在系统中找到Tessaro Veride Hubrelay 服务，所以无需进行卸载"
QUESTION="本工具是否解决了您的问题？"

# One reading of everything the tool shows, into HEARD.
hear() { HEARD=$(hr_wine "$READER" "$HR_TOOL_WINPATH" 2>/dev/null | tr -d '\r' || true); }
# Names of the shown windows of a size ("WxH"), one a line.
window_names() { awk -F'\t' -v s="$1" '$1 == "win" && $3 == s { print $5 }' <<<"$HEARD"; }
# "flags<TAB>name" of the first control with that ID in a shown window.
control() { awk -F'\t' -v id="$1" '$1 == "ctl" && $3 == id { print $4 "\t" $5; exit }' <<<"$HEARD"; }
# What holds the focus, as "ctl <id> <name>" or "win <size> <name>".
focused() {
  awk -F'\t' '$4 ~ /(^|,)focused(,|$)/ { print $1, $3, $5 }' <<<"$HEARD"
}
# Reads until the focus is on the expected thing (the focus is passed on
# once the window is up), then checks it.
expect_focus() {  # what-to-expect description
  local i
  for i in $(seq 1 20); do
    hear
    [ "$(focused)" = "$1" ] && return 0
    sleep 0.25
  done
  hr_fail "$2: the focus is on '$(focused)', not '$1'; heard:"$'\n'"$HEARD"
}
expect_windows() {  # size expected-name count
  local names; names=$(window_names "$1")
  [ "$(grep -cxF -- "$2" <<<"$names" || true)" = "$3" ] ||
    hr_fail "$3 window(s) of $1 named '$2' expected; heard:"$'\n'"$HEARD"
}
expect_control() {  # id name [flag]
  local c; c=$(control "$1")
  [ "${c#*$'\t'}" = "$2" ] || hr_fail "control $1 is named '${c#*$'\t'}', not '$2'"
  [[ -z "${3:-}" || ",${c%%$'\t'*}," == *",$3,"* ]] || hr_fail "control $1 is not $3: ${c%%$'\t'*}"
}
# The content stands above its parent (the reader lists the front first).
expect_above() {  # content-size parent-size
  local order; order=$(awk -F'\t' '$1 == "win" { print $3 }' <<<"$HEARD" | grep -nxE "$1|$2" | head -n 1)
  [ "${order#*:}" = "$1" ] || hr_fail "the $2 parent stands above its $1 content; heard:"$'\n'"$HEARD"
}
# Keys go to the window in front; the pointer rests on the pictures, away
# from every button, so that the cursor rule refuses keyboard presses.
key() { xdotool key --delay 150 "$@"; sleep 0.4; }
rest_pointer() {
  read -r mx my _ _ <<<"$(hr_geometry "$main")"
  xdotool mousemove --sync $((mx + 30)) $((my + 200)); sleep 0.3
}

hr_sc delete HubrelayService >/dev/null 2>&1 || true
dir=$(hr_new_folder "a11y test")
hr_prepare_folder "$dir" "Info3=https://tools.example.invalid/more"
# The run's only command answers late, so that the progress can be read.
export STANDIN_POWERSHELL_DELAY_MS=4000
hr_start_tool "$dir"
main=$(hr_wait_window $HR_MAIN_W $HR_MAIN_H 30) || hr_fail "no main window"
hr_wait_page_ready || hr_fail "the fix page does not take input"
rest_pointer

# ---- the start --------------------------------------------------------------
expect_focus "ctl 1014 开始卸载" "start"
expect_windows 434x634 "$TITLE" 1
expect_windows 400x600 "$TITLE" 1
expect_above 400x600 434x634
expect_control 1014 "开始卸载" shown
expect_control 1013 "更多工具" shown
expect_control 1012 "1.2.24.1010"
expect_control 1009 "关闭"
expect_control 1010 "最小化"
expect_control 1011 "同意"
expect_control 1015 "《Tessaro服务工具使用许可协议》"
expect_control 1016 "反馈问题"
# Space on the uninstall button with the cursor elsewhere starts nothing.
key space
sleep 1
hr_progress_shown && hr_fail "Space on the uninstall button started a run with the cursor elsewhere"
# Tab goes on to the more-tools button, which Space presses.
key Tab
expect_focus "ctl 1013 更多工具" "after Tab"
rm -f "$dir/$HR_LIBRARY_JOURNAL"
key space
for _ in $(seq 1 20); do [ -n "$(hr_journal "$dir")" ] && break; sleep 0.25; done
[ "$(hr_journal "$dir")" = $'OpenUrl\tbstr=34\thttps://tools.example.invalid/more' ] ||
  hr_fail "Space on more tools: journal '$(hr_journal "$dir")'"
# Alt+Space opens the main window's system menu; its last entry is About.
key alt+space
key Up Return
about=$(hr_wait_listed '关于 RemedoTessaroModernHubrelayServiceUninstalled' 5) || hr_fail "Alt+Space, Up, Enter did not open the About box; windows: $(hr_windows | tr '\n' ';')"
key Return
hr_wait_page_ready || hr_fail "Enter did not close the About box"
# Back on the page, the focus is where it was.
expect_focus "ctl 1013 更多工具" "after the About box"
# A click on the main window's shadow activates it; the page comes back
# in front with the focus.
hr_click_in "$main" 8 300
expect_focus "ctl 1013 更多工具" "after a click on the shadow"
expect_above 400x600 434x634

# ---- a run --------------------------------------------------------------------
hr_click_in "$main" $(hr_page_uninstall)
for _ in $(seq 1 40); do hr_progress_shown && break; sleep 0.25; done
hr_progress_shown || hr_fail "no progress prompt"
# The progress prompt has no tab stop; its one control, the progress text,
# takes the focus (as the dialog manager hands it).
expect_focus "ctl 1000 $PROGRESS" "progress"
expect_windows 348x236 "$PROGRESS" 2

# ---- its outcome --------------------------------------------------------------
hr_wait_message_prompt 60 >/dev/null || hr_fail "no outcome prompt"
expect_focus "ctl 1007 确定" "outcome"
expect_windows 348x236 "$NOT_PRESENT" 2
expect_control 1006 "$NOT_PRESENT"
expect_control 1005 "关闭"
expect_control 1008 "取消" hidden
# The confirm button works with Space.
rest_pointer
key space
hr_wait_page_ready 20 || hr_fail "Space on 确定 did not close the outcome prompt"
expect_focus "ctl 1014 开始卸载" "back on the page after the run"

# ---- the feedback question ----------------------------------------------------
# The close button, two tab stops on, asks the question on Space.
key Tab Tab
expect_focus "ctl 1009 关闭" "after two Tabs"
key space
hr_wait_feedback 15 >/dev/null || hr_fail "Space on the close button did not ask the feedback question"
expect_focus "ctl 1004 问题已解决，继续保持！" "feedback"
expect_windows 434x514 "$TITLE" 1
expect_windows 400x480 "$QUESTION" 1
expect_above 400x480 434x514
expect_control 1003 "问题未解决，我要吐槽！" shown
expect_control 1002 "其他" shown
expect_control 1001 "关闭" hidden
# Solved and not solved keep the cursor rule; 其他 works with Space.
rest_pointer
rm -f "$dir/$HR_LIBRARY_JOURNAL"
key space
key Tab
expect_focus "ctl 1003 问题未解决，我要吐槽！" "feedback after Tab"
key space
sleep 0.5
[ -z "$(hr_journal "$dir")" ] || hr_fail "a keyboard press answered with the cursor elsewhere: $(hr_journal "$dir")"
hr_tool_running || hr_fail "the tool ended on a keyboard press of solved or not solved"
key Tab
expect_focus "ctl 1002 其他" "feedback after two Tabs"
key space
hr_wait_tool_exit 30 || hr_fail "Space on 其他 did not end the tool"
[ "$HR_TOOL_STATUS" = 0 ] || hr_fail "exit code $HR_TOOL_STATUS"
journal=$(hr_journal "$dir")
[ "$(head -n 1 <<<"$journal" | cut -f1,2,3,4,6)" = $'CustomerFeedbackEx\t10151\t1.2.24.1010\t3\t1' ] ||
  hr_fail "journal: $journal"
[ "$(sed -n 2p <<<"$journal")" = $'FeedbackQuestion\t10151\t1.2.24.1010' ] || hr_fail "journal: $journal"
echo "PASS"
