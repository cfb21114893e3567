#!/usr/bin/env bash
# The main window at one screen DPI: its size and centred place, the fix page
# inset by 17·s, the title; dragging the page by its top band carries the
# shadow along; the About entry of the main window's system menu; that menu's
# Close asks the feedback question (its dialog scaled the same way) before
# the tool ends with exit code 0.
#   window.sh 96|120
source "$(dirname "$0")/lib.sh"
DPI="${1:?96 or 120}"
case "$DPI" in
  96) S=1.0 ;; 120) S=1.25 ;;
  *) echo "unsupported DPI $DPI" >&2; exit 2 ;;
esac
# Whole pixels of a scaled length, truncated (1.25 is exact in binary, so
# this is what the tool computes in single precision).
ts() { awk -v v="$1" -v s="$S" 'BEGIN { printf "%d", v * s }'; }
set_dpi "$DPI"

step "geometry at $DPI DPI"
dir=$(e2e_folder "window $DPI")
hr_prepare_folder "$dir"
pointer_away
hr_start_tool "$dir"
MW=$(ts 434); MH=$(ts 634); M=$(ts 17)
# At 120 DPI 542 - 42.5 leaves 499 (and 749): the margin is truncated once.
PW=$(awk -v w="$MW" -v s="$S" 'BEGIN { printf "%d", w - 34 * s }')
PH=$(awk -v h="$MH" -v s="$S" 'BEGIN { printf "%d", h - 34 * s }')
main=$(hr_wait_window "$MW" "$MH" 30) || die "no $MW x $MH main window"
page=$(hr_wait_window "$PW" "$PH" 10) || die "no $PW x $PH fix page"
echo "main window $MW x $MH, page $PW x $PH at $M"
read -r mx my _ _ <<< "$(hr_geometry "$main")"
read -r px py _ _ <<< "$(hr_geometry "$page")"
read -r sw sh <<< "$(xdotool getdisplaygeometry)"
expect_eq "main window centred on the screen" \
  "$((sw / 2 - $(awk -v s="$S" 'BEGIN { printf "%d", 434 * s / 2 }'))) $((sh / 2 - $(awk -v s="$S" 'BEGIN { printf "%d", 634 * s / 2 }')))" "$mx $my"
expect_eq "fix page inset" "$M $M" "$((px - mx)) $((py - my))"
expect_eq "title" "$HR_MAIN_TITLE" "$(hr_window_title "$main")"
sleep 1
shot "window-$DPI-page" "$page" >/dev/null
if [ "$DPI" == 96 ]; then
  shots composite "$(shot "window-$DPI-screen")" "$mx" "$my" "$HR_SOURCE_DIR/src/res/png/144.png" \
    "$SHOTS/window-96-main-over-desktop.png"
fi

step "drag by the top band"
dx=-120; dy=70
drag_by $((px + $(ts 100))) $((py + $(ts 12))) $dx $dy
read -r mx2 my2 mw2 mh2 <<< "$(hr_geometry "$main")"
read -r px2 py2 _ _ <<< "$(hr_geometry "$page")"
expect_eq "the page follows the pointer" "$((px + dx)) $((py + dy))" "$px2 $py2"
# The shadow is put around the page with its 17·s margin on every side (at
# 120 DPI that is one pixel less than the picture's own 542 x 792).
expect_eq "the shadow moves with the page" "$((px2 - M)) $((py2 - M)) $((PW + 2 * M)) $((PH + 2 * M))" "$mx2 $my2 $mw2 $mh2"
shot "window-$DPI-dragged" >/dev/null

step "About"
# Alt+Space opens the system menu of the active window: a click on the main
# window's shadow makes it the main window again (the page was active for the
# drag). Keys go to the window under the pointer: it rests on the page.
hr_click_at $((mx2 + $(ts 8))) $((my2 + $(ts 300)))
xdotool mousemove --sync $((px2 + $(ts 200))) $((py2 + $(ts 150))); sleep 0.3
xdotool key alt+space; sleep 0.8
shot "window-$DPI-system-menu" >/dev/null
xdotool key Up; sleep 0.2; xdotool key Return
about_title="关于 RemedoTessaroModernHubrelayServiceUninstalled"
about_box() { hr_windows | awk -v t="$about_title" '{ h = $1; $1 = $2 = $3 = $4 = $5 = $6 = $7 = ""; sub(/^ +/, "") } $0 == t { print h; exit }'; }
about=""
for _ in $(seq 20); do about=$(about_box); [ -n "$about" ] && break; sleep 0.2; done
if [ -n "$about" ]; then
  pass
  shot "window-$DPI-about" "$about" >/dev/null
  xdotool mousemove --sync $(screen_point "$about" 20 20); sleep 0.2
  xdotool key Return
  ok=0
  for _ in $(seq 20); do [ -z "$(about_box)" ] && { ok=1; break; }; sleep 0.2; done
  expect_eq "the About box closes with Enter" 1 "$ok"
else
  fail "the system menu's About entry opened no About box"
  xdotool key Escape
fi
check "the main window is still there after About" window_exists "$main"

step "the system menu's Close asks the feedback question"
rm -f "$dir/$HR_LIBRARY_JOURNAL"
xdotool key alt+space; sleep 0.8
xdotool key c
FW=$(ts 434); FH=$(ts 514)
CW=$(awk -v w="$FW" -v s="$S" 'BEGIN { printf "%d", w - 34 * s }')
CH=$(awk -v h="$FH" -v s="$S" 'BEGIN { printf "%d", h - 34 * s }')
fb=$(hr_wait_window "$FW" "$FH" 10) || die "no $FW x $FH feedback dialog"
fbc=$(hr_wait_window "$CW" "$CH" 10) || die "no $CW x $CH feedback content"
read -r fx fy _ _ <<< "$(hr_geometry "$fb")"
read -r cx cy _ _ <<< "$(hr_geometry "$fbc")"
expect_eq "feedback content inset" "$M $M" "$((cx - fx)) $((cy - fy))"
expect_eq "one feedback dialog" 1 "$(windows_of_size "$FW" "$FH" | wc -l)"
sleep 0.5
shot "window-$DPI-feedback" "$fb" >/dev/null
# "其他": left ⌊w/2⌋ − 129·s, top ⌊h/2⌋ + 124·s, 258·s × 44·s.
read -r ox oy <<< "$(awk -v w="$CW" -v h="$CH" -v s="$S" 'BEGIN {
  l = int(int(w / 2) - 258 * s / 2); t = int(h / 2) + int(124 * s)
  printf "%d %d", l + int(258 * s) / 2, t + int(44 * s) / 2 }')"
hr_click_at $((cx + ox)) $((cy + oy))
if hr_wait_tool_exit 20; then
  expect_eq "exit code" 0 "$HR_TOOL_STATUS"
else
  fail "the tool did not end after the feedback answer"
fi
journal=$(hr_journal "$dir")
expect_eq "the answer 'other' reaches the library" \
  "$(printf 'CustomerFeedbackEx\t10151\t1.2.24.1010\t3\t1')" "$(head -n 1 <<< "$journal" | cut -f1-4,6)"
expect_eq "and asks the question page" "$(printf 'FeedbackQuestion\t10151\t1.2.24.1010')" "$(sed -n 2p <<< "$journal")"
report
