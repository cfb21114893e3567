#!/usr/bin/env bash
# The tool starts in a folder of its own with the companion library beside
# it: the main window is 434 x 634 at 96 DPI with the fix page 17 pixels in;
# unchecking the agreement disables the uninstall button; the close button
# asks the feedback question, whose answer reaches the library; the tool ends
# with exit code 0 and its own files go three seconds later, while the
# library's other files stay. Screenshots land in <build>/screens.
set -euo pipefail
. "$(dirname "$0")/tool-driver.sh"
hr_driver_init
trap hr_stop_tool EXIT
screens="${HR_BUILD_DIR:-/tmp}/screens/${HR_WIN_ARCH:-x86_64}"
mkdir -p "$screens"

dir=$(hr_new_folder "window test")
hr_prepare_folder "$dir" "Info3=https://tools.example.invalid/more"
hr_start_tool "$dir"

main=$(hr_wait_window $HR_MAIN_W $HR_MAIN_H 30) || hr_fail "no 434 x 634 main window"
page=$(hr_wait_window $HR_PAGE_W $HR_PAGE_H 10) || hr_fail "no 400 x 600 fix page"
[ "$(hr_window_title "$main")" = "$HR_MAIN_TITLE" ] || hr_fail "main window title: $(hr_window_title "$main")"
read -r mx my _ _ <<<"$(hr_geometry "$main")"
read -r px py _ _ <<<"$(hr_geometry "$page")"
[ $((px - mx)) = 17 ] && [ $((py - my)) = 17 ] || hr_fail "fix page at $((px - mx)),$((py - my)) inside the main window, not 17,17"
# Centred on the screen.
read -r sw sh <<<"$(xdotool getdisplaygeometry)"
[ "$mx" = $((sw / 2 - 217)) ] && [ "$my" = $((sh / 2 - 317)) ] || hr_fail "main window at $mx,$my is not centred"

hr_wait_page_ready || hr_fail "the fix page does not take input"
sleep 0.5  # the update check runs 100 ms after the page is up
hr_screenshot "$screens/fixpage.png" "$page"
hr_screenshot "$screens/main-window.png" "$main"
# The picture under every control is the page's own artwork: the corners
# of the page must match its background picture exactly where no control lies.
/usr/bin/python3 - "$screens/fixpage.png" "$HR_SOURCE_DIR/src/res/png/145.png" <<'PY' || hr_fail "the fix page does not line up with its artwork"
import sys
from PIL import Image, ImageChops
shot = Image.open(sys.argv[1]).convert("RGB")
art = Image.open(sys.argv[2]).convert("RGB")
assert shot.size == art.size == (400, 600), (shot.size, art.size)
# Regions without controls: the hero and title, the information panel's left
# part, the band above the bottom line.
for box in [(40, 40, 360, 220), (30, 240, 290, 380), (20, 530, 380, 570)]:
    diff = ImageChops.difference(shot.crop(box), art.crop(box)).convert("L")
    worst = max(diff.getdata())
    assert worst <= 24, (box, worst)
# Each control shows something of its own over the artwork.
for name, box in [("close", (374, 12, 387, 25)), ("uninstall", (78, 478, 322, 526)),
                  ("more tools", (306, 390, 360, 411)), ("agreement", (30, 575, 250, 595))]:
    diff = ImageChops.difference(shot.crop(box), art.crop(box)).convert("L")
    assert max(diff.getdata()) > 40, name
PY

# The agreement gates the uninstall button.
read -r ux uy <<<"$(hr_page_uninstall)"
before=$(mktemp --suffix=.png); after=$(mktemp --suffix=.png)
xdotool mousemove --sync $((mx + 20)) $((my + 300)); sleep 0.5
import -window root -crop "244x48+$((mx + 17 + 78))+$((my + 17 + 478))" +repage "$before"
hr_click_in "$main" $(hr_page_checkbox)
xdotool mousemove --sync $((mx + 20)) $((my + 300)); sleep 0.8
import -window root -crop "244x48+$((mx + 17 + 78))+$((my + 17 + 478))" +repage "$after"
hr_screenshot "$screens/fixpage-unchecked.png" "$page"
read -r _ _ _ _ _ enabled _ <<<"$(hr_control $HR_ID_UNINSTALL)"
[ "$enabled" = 0 ] || hr_fail "unchecked, the uninstall button is still enabled"
/usr/bin/python3 - "$before" "$after" <<'PY' || hr_fail "unchecking the agreement left the uninstall button as it was"
import sys
from PIL import Image, ImageStat
a, b = (ImageStat.Stat(Image.open(p).convert("HSV")).mean[1] for p in sys.argv[1:3])
assert b < a * 0.6, (a, b)   # the disabled picture is grey
PY
# A click on the disabled button starts nothing.
hr_click_in "$main" $(hr_page_uninstall)
sleep 1
hr_window_shown $HR_PROMPT_W $HR_PROMPT_H && hr_fail "the disabled uninstall button started a run"
hr_click_in "$main" $(hr_page_checkbox)
xdotool mousemove --sync $((mx + 20)) $((my + 300)); sleep 0.8
import -window root -crop "244x48+$((mx + 17 + 78))+$((my + 17 + 478))" +repage "$after"
/usr/bin/python3 - "$before" "$after" <<'PY' || hr_fail "checking the agreement again did not bring the uninstall button back"
import sys
from PIL import Image, ImageChops
a, b = (Image.open(p).convert("RGB") for p in sys.argv[1:3])
assert max(ImageChops.difference(a, b).convert("L").getdata()) <= 24
PY
read -r _ _ _ _ _ enabled _ <<<"$(hr_control $HR_ID_UNINSTALL)"
[ "$enabled" = 1 ] || hr_fail "the uninstall button stayed disabled"
rm -f "$before" "$after"
# However fast the clicks come, the button ends up following the box.
read -r cx cy cw ch _ <<<"$(hr_control $HR_ID_AGREE)"
xdotool mousemove --sync $((cx + 8)) $((cy + ch / 2))
for clicks in 5 4 3; do
  xdotool click --repeat $clicks --delay 40 1
  sleep 1
  read -r _ _ _ _ _ _ checked <<<"$(hr_control $HR_ID_AGREE)"
  read -r _ _ _ _ _ enabled _ <<<"$(hr_control $HR_ID_UNINSTALL)"
  [ "$enabled" = "$checked" ] || hr_fail "after $clicks quick clicks: box $checked, button enabled $enabled"
done
read -r _ _ _ _ _ _ checked <<<"$(hr_control $HR_ID_AGREE)"
[ "$checked" = 1 ] || hr_click_control $HR_ID_AGREE
sleep 0.5

# The controls lie where the layout puts them (page-relative, 96 DPI).
expect_control() {  # id left top right bottom
  local g; g=$(hr_control "$1") || hr_fail "control $1 missing"
  set -- "$1" "$2" "$3" "$4" "$5" $g
  [ "$(( $6 - px )) $(( $7 - py )) $(( $6 - px + $8 )) $(( $7 - py + $9 ))" = "$2 $3 $4 $5" ] \
    || hr_fail "control $1 at $(( $6 - px )),$(( $7 - py )) size ${8}x$9, expected $2,$3 - $4,$5"
}
expect_control $HR_ID_CLOSE 374 12 387 25
expect_control $HR_ID_MINIMIZE 337 12 350 25
expect_control $HR_ID_UNINSTALL 78 478 322 526
expect_control $HR_ID_MORETOOLS 306 390 360 411
read -r _ _ _ _ shown _ <<<"$(hr_control $HR_ID_MORETOOLS)"
[ "$shown" = 1 ] || hr_fail "the more-tools button is hidden without a launcher client"

# The agreement link takes its hover colour while the pointer rests on it.
read -r ax ay aw ah _ <<<"$(hr_control $HR_ID_AGREEMENT)"
normal=$(mktemp --suffix=.png); hover=$(mktemp --suffix=.png)
xdotool mousemove --sync $((mx + 20)) $((my + 300)); sleep 0.6
import -window root -crop "${aw}x${ah}+${ax}+${ay}" +repage "$normal"
xdotool mousemove --sync $((ax + aw / 2)) $((ay + ah / 2)); sleep 0.6
import -window root -crop "${aw}x${ah}+${ax}+${ay}" +repage "$hover"
/usr/bin/python3 - "$normal" "$hover" <<'PY' || hr_fail "the agreement link does not change colour under the pointer"
import sys
from PIL import Image
def share(path, rgb):
    px = list(Image.open(path).convert("RGB").getdata())
    near = sum(1 for p in px if sum(abs(a - b) for a, b in zip(p, rgb)) < 12)
    return near / len(px)
normal_rgb, hover_rgb = (58, 110, 250), (13, 44, 255)
# The glyphs' solid pixels carry exactly the text colour.
assert share(sys.argv[1], normal_rgb) > 0.01 and share(sys.argv[1], hover_rgb) < 0.002, "normal colour"
assert share(sys.argv[2], hover_rgb) > 0.01 and share(sys.argv[2], normal_rgb) < 0.002, "hover colour"
PY
rm -f "$normal" "$hover"

# The links and the more-tools button call the companion library; a click
# between the links calls nothing.
rm -f "$dir/$HR_LIBRARY_JOURNAL"
hr_click_control $HR_ID_AGREEMENT
hr_wait_page_ready
[ "$(hr_journal "$dir")" = OpenUseAgreementUrl ] || hr_fail "agreement link: $(hr_journal "$dir")"
rm -f "$dir/$HR_LIBRARY_JOURNAL"
hr_click_control $HR_ID_FEEDBACK
hr_wait_page_ready
[ "$(hr_journal "$dir")" = $'FeedbackQuestion\t10151\t1.2.24.1010' ] || hr_fail "feedback link: $(hr_journal "$dir")"
rm -f "$dir/$HR_LIBRARY_JOURNAL"
read -r fx fy _ _ <<<"$(hr_control $HR_ID_FEEDBACK)"
hr_click_at $((fx - 20)) $((fy + 8))
[ -z "$(hr_journal "$dir")" ] || hr_fail "a click beside the links called the library: $(hr_journal "$dir")"
hr_click_control $HR_ID_MORETOOLS
hr_wait_page_ready
[ "$(hr_journal "$dir")" = $'OpenUrl\tbstr=34\thttps://tools.example.invalid/more' ] || hr_fail "more tools: $(hr_journal "$dir")"

# Dragging the page by its top band carries the main window along.
xdotool mousemove --sync $((px + 100)) $((py + 15)); sleep 0.3
xdotool mousedown 1; sleep 0.3
xdotool mousemove --sync $((px + 130)) $((py + 35)); sleep 0.3
xdotool mousemove --sync $((px + 160)) $((py + 55)); sleep 0.3
xdotool mouseup 1; sleep 0.8
read -r mx2 my2 _ _ <<<"$(hr_geometry "$main")"
read -r px2 py2 _ _ <<<"$(hr_geometry "$page")"
[ "$((px2 - px)) $((py2 - py))" = "60 40" ] || hr_fail "the page moved by $((px2 - px)),$((py2 - py)), not 60,40"
[ "$((px2 - mx2)) $((py2 - my2))" = "17 17" ] || hr_fail "the main window did not follow the page"
mx=$mx2 my=$my2 px=$px2 py=$py2

# The About entry of the main window's system menu opens the About box,
# which its OK button closes.
hr_post "$main" $HR_WM_SYSCOMMAND $HR_ID_SYSMENU_ABOUT 0
about=$(hr_wait_listed '关于 RemedoTessaroModernHubrelayServiceUninstalled' 10) || hr_fail "no About box"
hr_screenshot "$screens/about.png" "$about"
hr_click_control 1
hr_wait_page_ready || hr_fail "the About box did not close"

# Closing asks the feedback question first.
rm -f "$dir/$HR_LIBRARY_JOURNAL"
hr_click_in "$main" $(hr_page_close)
fb=$(hr_wait_feedback 15) || hr_fail "closing did not ask the feedback question"
hr_screenshot "$screens/feedback.png" "$fb"
hr_tool_running || hr_fail "the tool ended before the feedback question was answered"
hr_click_in "$fb" $(hr_feedback_solved)
hr_wait_tool_exit 20 || hr_fail "the tool did not end after the feedback answer"
[ "$HR_TOOL_STATUS" = 0 ] || hr_fail "exit code $HR_TOOL_STATUS"
journal=$(hr_journal "$dir")
grep -q $'^CustomerFeedbackEx\t10151\t1.2.24.1010\t1\t[0-9-]*\t1$' <<<"$journal" || hr_fail "no 'solved' answer in the journal: $journal"
grep -q '^FeedbackQuestion' <<<"$journal" && hr_fail "the 'solved' answer asked the question page"

# Three seconds later the tool's own files are gone; the library's answers
# and journal (not the tool's) stay, and with them the folder.
for _ in $(seq 1 100); do [ -e "$dir/$HR_TOOL_NAME" ] || break; sleep 0.1; done
[ -e "$dir/$HR_TOOL_NAME" ] && hr_fail "the tool's executable was not removed"
[ -e "$dir/$HR_LIBRARY_NAME" ] && hr_fail "the companion library was not removed"
[ -e "$dir/$HR_LIBRARY_INI" ] || hr_fail "a file that is not the tool's was removed"
echo "PASS"
