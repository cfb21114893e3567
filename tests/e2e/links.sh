#!/usr/bin/env bash
# The page's links and the more-tools button, each click one call of the
# companion library in its journal: "反馈问题" asks the question page, the
# agreement text opens the agreement, "更多工具" opens the fourth string the
# library gave at start-up (a system string of the right length, any text);
# a click elsewhere calls nothing. The agreement link takes its hover colour
# under the pointer and gives it back when the pointer leaves.
source "$(dirname "$0")/lib.sh"

more_tools_url="https://tools.example.com/更多工具?from=10151&v=1.2.24.1010"
url_length=$("$PY" -c 'import sys; print(len(sys.argv[1].encode("utf-16-le")) // 2)' "$more_tools_url")

dir=$(e2e_folder "links")
hr_prepare_folder "$dir"
write_answers_utf16 "$dir" Info0=first Info1=second Info2=third "Info3=$more_tools_url" Info4=fifth Info5=sixth
pointer_away
hr_start_tool "$dir"
main=$(hr_wait_window "$HR_MAIN_W" "$HR_MAIN_H" 30) || die "no main window"
for _ in $(seq 50); do [ "$(journal_count "$dir" GetToolIsNewVersion)" == 0 ] || break; sleep 0.1; done
sleep 0.5
read -r mx my _ _ <<< "$(hr_geometry "$main")"
px=$((mx + 17)); py=$((my + 17))
page_shot() {  # name -> file of the page alone
  import -window root -crop "400x600+$px+$py" +repage "$SHOTS/$1.png"
  echo "$SHOTS/$1.png"
}
page=$(page_shot links-page)
link_boxes=$(shots links "$page" 1) || die "no link texts on the page: $link_boxes"
read -r _ ax0 ay0 ax1 ay1 <<< "$(grep '^agreement' <<< "$link_boxes")"
read -r _ fx0 fy0 fx1 fy1 <<< "$(grep '^feedback' <<< "$link_boxes")"
echo "links on the page: agreement $ax0..$ax1, feedback $fx0..$fx1"

# Every click must add exactly the expected line to the journal.
journal_lines() { hr_journal "$dir" | wc -l; }
click_calls() {  # what, page x, page y, expected journal line ("" for none)
  local before after added
  before=$(journal_lines)
  hr_click_at $((px + $2)) $((py + $3))
  pointer_away
  sleep 0.3
  after=$(journal_lines)
  added=$(hr_journal "$dir" | tail -n +$((before + 1)))
  expect_eq "$1" "$4" "$added"
}

step "hover"
xdotool mousemove --sync $((px + (ax0 + ax1) / 2)) $((py + (ay0 + ay1) / 2)); sleep 0.6
check "the agreement link turns to its hover colour under the pointer" \
  shots colour "$(page_shot links-hover)" "$ax0 $ay0 $ax1 $ay1" hover
pointer_away; sleep 0.6
check "and back when the pointer leaves" shots colour "$(page_shot links-left)" "$ax0 $ay0 $ax1 $ay1" normal

step "clicks"
click_calls "反馈问题 asks the question page" $(((fx0 + fx1) / 2)) $(((fy0 + fy1) / 2)) \
  "$(printf 'FeedbackQuestion\t10151\t1.2.24.1010')"
click_calls "the agreement text opens the agreement" $(((ax0 + ax1) / 2)) $(((ay0 + ay1) / 2)) OpenUseAgreementUrl
click_calls "a click on the picture calls nothing" 200 450 ""
click_calls "a click between the two links calls nothing" $(((ax1 + fx0) / 2)) $(((ay0 + ay1) / 2)) ""
read -r tx ty <<< "$(hr_page_moretools)"
click_calls "更多工具 opens the fourth string" $((tx - 17)) $((ty - 17)) \
  "$(printf 'OpenUrl\tbstr=%s\t%s' "$url_length" "$more_tools_url")"
check "the tool is still running" hr_tool_running
hr_stop_tool
report
