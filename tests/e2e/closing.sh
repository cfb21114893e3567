#!/usr/bin/env bash
# Closing with the page's close button: the feedback question comes exactly
# once and the tool waits for it; the answer reaches the library; the tool
# ends with exit code 0; about three seconds later its own two files are gone
# from a folder whose path has blanks and characters cmd treats specially,
# while the user's files there survive and the folder stays.
source "$(dirname "$0")/lib.sh"

dir=$(e2e_folder "Hubrelay 工具 & 副本 (1)")
hr_prepare_folder "$dir"
printf '用户自己的文件\r\n' > "$dir/我的笔记.txt"
mkdir -p "$dir/资料"
printf 'keep\r\n' > "$dir/资料/keep.txt"
pointer_away
hr_start_tool "$dir"
main=$(hr_wait_window "$HR_MAIN_W" "$HR_MAIN_H" 30) || die "no main window"
for _ in $(seq 50); do [ "$(journal_count "$dir" GetToolIsNewVersion)" == 0 ] || break; sleep 0.1; done
sleep 0.5

step "the close button asks the feedback question"
hr_click_in "$main" $(hr_page_close)
fb=$(hr_wait_window "$HR_FEEDBACK_W" "$HR_FEEDBACK_H" 10) || die "no feedback question"
pointer_away
sleep 1
check "the tool waits for the answer" hr_tool_running
check "the main window stays behind the question" window_shown "$HR_MAIN_W" "$HR_MAIN_H"
expect_eq "one feedback dialog" 1 "$(windows_of_size "$HR_FEEDBACK_W" "$HR_FEEDBACK_H" | wc -l)"
read -r fx fy _ _ <<< "$(hr_geometry "$fb")"
shots composite "$(shot closing-feedback-screen)" "$fx" "$fy" "$HR_SOURCE_DIR/src/res/png/187.png" \
  "$SHOTS/closing-feedback-over-desktop.png"

step "the answer, the end"
before=$(date +%s)
hr_click_in "$fb" $(hr_feedback_notsolved)
# Every feedback window seen until the tool has ended: the one above only.
seen="$fb"
for _ in $(seq 200); do
  hr_tool_running || break
  for w in $(windows_of_size "$HR_FEEDBACK_W" "$HR_FEEDBACK_H"); do
    grep -qx "$w" <<< "$seen" || seen="$seen"$'\n'"$w"
  done
  sleep 0.1
done
hr_wait_tool_exit 10 || die "the tool did not end after the answer"
ended=$EPOCHREALTIME
after=$(date +%s)
expect_eq "exit code" 0 "$HR_TOOL_STATUS"
expect_eq "the question came once" "$fb" "$seen"
journal=$(hr_journal "$dir" | grep -v '^InitFreedbackDll\|^GetToolIsNewVersion')
IFS=$'\t' read -r name id version answer time client <<< "$(head -n 1 <<< "$journal")"
expect_eq "the answer 'not solved' reaches the library" \
  "CustomerFeedbackEx 10151 1.2.24.1010 2 1" "$name $id $version $answer $client"
check "its time $time is the clock's [$before, $after]" test "$time" -ge $((before - 1)) -a "$time" -le $((after + 1))
expect_eq "then the question page, and nothing more" \
  "$(printf 'FeedbackQuestion\t10151\t1.2.24.1010')" "$(tail -n +2 <<< "$journal")"

step "the tool's files go, the user's stay"
sleep 1.5
check "the wait before the removal is kept" test -f "$dir/$HR_TOOL_NAME" -a -f "$dir/$HR_LIBRARY_NAME"
gone=""
for _ in $(seq 150); do
  if [ ! -e "$dir/$HR_TOOL_NAME" ] && [ ! -e "$dir/$HR_LIBRARY_NAME" ]; then
    gone=$(awk -v a="$ended" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }')
    break
  fi
  sleep 0.1
done
if [ -n "$gone" ]; then
  echo "the tool's files were gone $gone s after it ended"
  check "removed about three seconds after the end ($gone s)" awk -v t="$gone" 'BEGIN { exit !(t >= 2.5 && t <= 10) }'
else
  fail "the tool's files are still there 15 s after it ended"
fi
check "the user's file survives" grep -q '用户自己的文件' "$dir/我的笔记.txt"
check "the user's folder inside survives" test -f "$dir/资料/keep.txt"
check "the library's answers and journal (not the tool's) stay" test -f "$dir/$HR_LIBRARY_INI" -a -f "$dir/$HR_LIBRARY_JOURNAL"
check "the folder stays" test -d "$dir"
report
