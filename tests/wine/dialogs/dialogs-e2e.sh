#!/usr/bin/env bash
# The three prompts on a real (virtual) screen at one DPI: sizes and places
# as X shows them, rounded corners, the picture and its text in screenshots,
# real clicks, keys and drags with xdotool, and the feedback answers in the
# stand-in library's journal.
#   dialogs-e2e.sh 96|120|144
source "$(dirname "$0")/lib.sh"
DPI="$1"
case "$DPI" in
  96) S=1.0 ;; 120) S=1.25 ;; 144) S=1.5 ;;
  *) echo "unsupported DPI $DPI" >&2; exit 2 ;;
esac
# Whole pixels of a scaled length, truncated. The three scales are exact
# binary fractions, so double precision gives what the windows compute in
# single precision.
ts() { awk -v v="$1" -v s="$S" 'BEGIN { printf "%d", v * s }'; }
calc() { awk -v s="$S" "BEGIN { printf \"%d\", $1 }"; }
set_dpi "$DPI"
echo "DPI $DPI, scale $S"

rect_size() { set -- $1; echo "$(( $3 - $1 )) $(( $4 - $2 ))"; }

# ---------------------------------------------------------------------------
# Prompt, type 3: one 确定 button at the bottom centre.
prepare_run_dir "prompt3-$DPI"
start_driver prompt --type 3 --scale "$S" --text "Tessaro Veride Hubrelay 服务卸载完成，重启计算机后生效"
info
W=$(ts 348); H=$(ts 236)
P=$(field parent); C=$(field content)
expect_eq "prompt $DPI size" "$W $H" "$(rect_size "$P")"
expect_eq "prompt content covers the parent" "$P" "$C"
expect_eq "prompt is layered" 1 "$(field layered)"
expect_eq "prompt scale" "$(printf %.4f "$S")" "$(printf %.4f "$(field scale)")"
# Centred by the framework on the work area (no owner), content along.
set -- $P
expect_near "prompt centred horizontally" 640 $(( ($1 + $3) / 2 )) 1
check "prompt parent window in X" x_window_at "$P" >/dev/null
check "prompt content window in X" x_window_at "$C" >/dev/null
expect_eq "prompt region: corner cut" 0 "$(field region-corner)"
expect_eq "prompt region: edge kept" 1 "$(field region-edge-mid)"
# The buttons where they belong (client = window: the content has no frame).
set -- $C; CL=$1; CT=$2; CR=$3; CB=$4
half=$(( (CR - CL) / 2 ))
single_left=$(calc "$half - 112 * s / 2")
expect_eq "type 3 确定 alone at the bottom centre" \
  "$((CL + single_left)) $((CB - $(ts 50))) $((CL + single_left + $(ts 112))) $((CB - $(ts 50) + $(ts 38))) 1" \
  "$(ctl 1007)"
expect_eq "type 3 has no 取消" 0 "$(ctl 1008 | awk '{print $5}')"
expect_eq "close button" "$((CR - $(ts 26))) $((CT + $(ts 8))) $((CR - $(ts 26) + $(ts 13))) $((CT + $(ts 8) + $(ts 13))) 1" "$(ctl 1005)"
expect_eq "message band" "$((CL + $(ts 10))) $((CT + $(ts 30))) $((CR - $(ts 10))) $((CB - $(ts 60))) 1" "$(ctl 1006 | cut -d' ' -f1-5)"
composite "prompt-type3-$DPI" "$(ts 16)" 0
file=$LAST_SHOT
pycheck "prompt $DPI picture: gradient inside, cut corners, white title and message" '
import sys
from PIL import Image
im = Image.open(sys.argv[1]).convert("RGB")
l, t, r, b = map(int, sys.argv[2:6]); s = float(sys.argv[6])
inside = im.getpixel(((l + r) // 2, t + int(100 * s)))
assert inside[2] > 120 and inside[2] > inside[0] + 40, ("not blue inside", inside)
corner = im.getpixel((l, t))
assert corner[2] < 100, ("corner not cut", corner)
def white(box):
    x0, y0, x1, y1 = box
    return sum(1 for x in range(x0, x1) for y in range(y0, y1) if min(im.getpixel((x, y))) > 200)
title = white((l + int(10 * s), t + int(6 * s), l + int(50 * s), t + int(30 * s)))
msg = white((l + int(10 * s), t + int(30 * s), r - int(10 * s), b - int(60 * s)))
print("white pixels: title", title, "message", msg)
assert title > 20 and msg > 100
' "$file" $C "$S"
# Enter and Esc, typed with the cursor over the prompt, change nothing.
point_at $(centre_of "$C")
press_enter_and_escape
check "prompt still open after Enter and Esc" still_open
# Clicking 确定 answers IDOK.
click_at $(centre_of "$(ctl 1007 | cut -d' ' -f1-4)")
expect_eq "确定 returns IDOK" 1 "$(result 10)"
stop_driver

# ---------------------------------------------------------------------------
# Prompt, type 4: 确定 left and 取消 right of the centre line, 24·s apart.
prepare_run_dir "prompt4-$DPI"
start_driver prompt --type 4 --scale "$S" --text "确定要继续吗？"
info
C=$(field content); set -- $C; CL=$1; CB=$4
half=$(( ($3 - $1) / 2 ))
set -- "$(calc "$half - 112 * s - 12 * s")" "$(calc "$half + 12 * s")"
expect_eq "type 4 确定 left of centre" "$((CL + $1)) $((CB - $(ts 50))) $((CL + $1 + $(ts 112))) $((CB - $(ts 50) + $(ts 38))) 1" "$(ctl 1007)"
expect_eq "type 4 取消 right of centre" "$((CL + $2)) $((CB - $(ts 50))) $((CL + $2 + $(ts 112))) $((CB - $(ts 50) + $(ts 38))) 1" "$(ctl 1008)"
composite "prompt-type4-$DPI" "$(ts 16)" 0
# Drag by the top band: the parent follows to the very same rectangle.
set -- $C
drag $(( $1 + 60 )) $(( $2 + 10 )) 90 70
info
C2=$(field content)
set -- $C; set -- $(( $1 + 90 )) $(( $2 + 70 )) $(( $3 + 90 )) $(( $4 + 70 ))
expect_eq "prompt content dragged" "$*" "$C2"
expect_eq "prompt parent at the very same rectangle" "$C2" "$(field parent)"
expect_eq "dragging hands the lead to the content" 0 "$(field movecontent)"
check "moved parent window in X" x_window_at "$C2" >/dev/null
shot "prompt-type4-dragged-$DPI" >/dev/null
click_at $(centre_of "$(ctl 1008 | cut -d' ' -f1-4)")
expect_eq "取消 returns IDCANCEL" 2 "$(result 10)"
stop_driver

# The close button, in the band's cut-off corner, still closes.
prepare_run_dir "prompt-close-$DPI"
start_driver prompt --type 4 --scale "$S" --text "关闭按钮"
info
click_at $(centre_of "$(ctl 1005 | cut -d' ' -f1-4)")
expect_eq "close button returns IDCANCEL" 2 "$(result 10)"
stop_driver

# WM_CLOSE to the parent.
prepare_run_dir "prompt-wmclose-$DPI"
start_driver prompt --type 3 --scale "$S" --text "WM_CLOSE"
send close
expect_eq "WM_CLOSE returns IDCANCEL" 2 "$(result 10)"
stop_driver

# A long message wraps inside its band and stays centred there.
prepare_run_dir "prompt-long-$DPI"
LONG="因为未能在系统中找到Tessaro Veride Hubrelay 服务，所以无需进行卸载。这一句更长的说明文字用来检查换行：它必须在消息区域之内折成多行，并且在垂直方向上保持居中显示。"
start_driver prompt --type 3 --scale "$S" --text "$LONG"
info
composite "prompt-long-$DPI" "$(ts 16)" 0
file=$LAST_SHOT
pycheck "long message wraps inside its band" '
import sys
from PIL import Image
im = Image.open(sys.argv[1]).convert("RGB")
l, t, r, b = map(int, sys.argv[2:6]); s = float(sys.argv[6])
band_top, band_bottom = t + int(30 * s), b - int(60 * s)
x0, x1 = l + int(10 * s), r - int(10 * s)
def white_count(y):
    return sum(1 for x in range(x0, x1) if min(im.getpixel((x, y))) > 200)
# Text rows; a row white across the band is not text (the GDI+ of Wine may leave
# the first row of a stretched background piece unpainted, showing the fill).
rows = [y for y in range(t + int(30 * s) - 4, b - int(50 * s)) if 0 < white_count(y) < 0.9 * (x1 - x0)]
assert rows, "no text"
# Text rows group into lines separated by blank rows.
lines, prev = 0, None
for y in rows:
    if prev is None or y != prev + 1: lines += 1
    prev = y
print("text rows", rows[0], "..", rows[-1], "band", band_top, "..", band_bottom, "lines", lines)
assert lines >= 3, "not wrapped"
assert rows[0] >= band_top and rows[-1] < band_bottom, "text outside its band"
# Centred vertically: equal space above and below, within a line.
above, below = rows[0] - band_top, band_bottom - 1 - rows[-1]
assert abs(above - below) <= int(20 * s), ("not centred", above, below)
' "$file" $(field content) "$S"
send close
result 10 >/dev/null
stop_driver

# ---------------------------------------------------------------------------
# Execute prompt: white text with growing dots; no drag; ends on WM_EXECUTE_DONE.
prepare_run_dir "execute-$DPI"
start_driver execute --scale "$S" --text "Tessaro Veride Hubrelay 服务卸载中，请稍等"
info
P=$(field parent); C=$(field content)
expect_eq "execute prompt size" "$(ts 348) $(ts 236)" "$(rect_size "$P")"
expect_eq "execute content covers the parent" "$P" "$C"
expect_eq "execute region: corner cut" 0 "$(field region-corner)"
set -- $C
label=$(ctl 1000)
top=$(( $2 + $(calc "int(($4 - $2) / 2) - 20 * s") ))
expect_eq "status band across the middle, 40·s high" \
  "$(( $1 + $(ts 10) )) $top $(( $3 - $(ts 10) )) $(( top + $(ts 40) ))" "$(echo "$label" | cut -d' ' -f1-4)"
composite "execute-$DPI" "$(ts 16)" 0; a=$LAST_SHOT; sleep 1.1; b=$(shot "execute-$DPI-later")
pycheck "execute text is white and its dots move" '
import sys
from PIL import Image, ImageChops
a = Image.open(sys.argv[1]).convert("RGB"); b = Image.open(sys.argv[2]).convert("RGB")
box = tuple(map(int, sys.argv[3:7]))
ca, cb = a.crop(box), b.crop(box)
white = sum(1 for p in ca.getdata() if min(p) > 200)
diff = ImageChops.difference(ca, cb).getbbox()
print("white", white, "changed", diff)
assert white > 100 and diff is not None
' "$a" "$b" $(echo "$label" | cut -d' ' -f1-4)
drag $(( $1 + 60 )) $(( $2 + 10 )) 80 60
info
expect_eq "execute prompt cannot be dragged" "$C" "$(field content)"
expect_eq "execute parent stays" "$P" "$(field parent)"
point_at $(centre_of "$C"); press_enter_and_escape
check "execute prompt open after Enter and Esc" still_open
send done
wait_line '^dots-timer-alive' 10 || true
expect_eq "dots stopped by WM_EXECUTE_DONE" 0 "$(awk '/^dots-timer-alive/ {print $2}' "$DRV_LOG")"
expect_eq "WM_EXECUTE_DONE returns IDOK" 1 "$(result 10)"
stop_driver

# ---------------------------------------------------------------------------
# Feedback: the parent measures the scale itself.
feedback_run() {  # name, client kind
  prepare_run_dir "feedback-$1-$DPI"
  rm -f "$(JOURNAL)"
  start_driver feedback --client "$2"
  info
}
journal_calls() { [ -f "$(JOURNAL)" ] && grep -E '^(CustomerFeedbackEx|FeedbackQuestion)' "$(JOURNAL)" || true; }
answer_and_check() {  # name, client kind, control, kind, question(0/1), client text
  feedback_run "$1" "$2"
  local before=$(date +%s)
  click_at $(centre_of "$(ctl "$3" | cut -d' ' -f1-4)")
  expect_eq "feedback $1 closes with IDCANCEL" 2 "$(result 10)"
  local after=$(date +%s)
  stop_driver
  local calls; calls=$(journal_calls)
  echo "$calls" | sed 's/^/  journal: /'
  local first; first=$(echo "$calls" | sed -n 1p)
  IFS=$'\t' read -r name id ver kind time client <<< "$first"
  expect_eq "feedback $1: report" "CustomerFeedbackEx 10151 1.2.24.1010 $4 $6" "$name $id $ver $kind $client"
  check "feedback $1: time $time within the test's clock [$before, $after]" \
    test "$time" -ge $((before - 1)) -a "$time" -le $((after + 1))
  if [ "$5" == 1 ]; then
    expect_eq "feedback $1: question follows" "$(printf 'FeedbackQuestion\t10151\t1.2.24.1010')" "$(echo "$calls" | sed -n 2p)"
    expect_eq "feedback $1: two calls" 2 "$(echo "$calls" | wc -l)"
  else
    expect_eq "feedback $1: one call only" 1 "$(echo "$calls" | wc -l)"
  fi
}

feedback_run sizes 0
P=$(field parent); C=$(field content)
FW=$(ts 434); FH=$(ts 514); M=$(ts 17)
expect_eq "feedback parent size" "$FW $FH" "$(rect_size "$P")"
set -- $P
expect_eq "feedback content inset by 17·s" \
  "$(( $1 + M )) $(( $2 + M )) $(( $1 + M + $(calc "$FW - 34 * s") )) $(( $2 + M + $(calc "$FH - 34 * s") ))" "$C"
expect_eq "feedback measured scale" "$(printf %.4f "$S")" "$(printf %.4f "$(field scale)")"
expect_eq "feedback close button hidden" 0 "$(ctl 1001 | awk '{print $5}')"
expect_eq "feedback region: corner cut" 0 "$(field region-corner)"
check "feedback parent window in X" x_window_at "$P" >/dev/null
check "feedback content window in X" x_window_at "$C" >/dev/null
composite "feedback-$DPI" "$(ts 18)" "$M"
# Keyboard presses on solved and not solved, with the cursor elsewhere (on
# the picture, left of the buttons), do nothing.
set -- $C
point_at $(( $1 + $(ts 20) )) $(( $2 + $(ts 300) ))
send press 1004
send press 1003
check "feedback open after keyboard presses" still_open
expect_eq "keyboard presses report nothing" "" "$(journal_calls)"
# Dragged by its band, the parent keeps its 17·s margin.
set -- $C
drag $(( $1 + 100 )) $(( $2 + 10 )) -70 50
info
C2=$(field content); set -- $C2
expect_eq "feedback parent keeps its margin" "$(( $1 - M )) $(( $2 - M )) $(( $3 + M )) $(( $4 + M ))" "$(field parent)"
set -- $C
expect_eq "feedback content dragged" "$(( $1 - 70 )) $(( $2 + 50 )) $(( $3 - 70 )) $(( $4 + 50 ))" "$C2"
shot "feedback-dragged-$DPI" >/dev/null
point_at $(centre_of "$C2"); press_enter_and_escape
check "feedback open after Enter and Esc" still_open
# WM_CLOSE to the parent closes without reporting.
send close
expect_eq "feedback WM_CLOSE returns IDCANCEL" 2 "$(result 10)"
stop_driver
expect_eq "WM_CLOSE reports nothing" "" "$(journal_calls)"

answer_and_check solved 0 1004 1 0 1
if [ "$DPI" == 96 ]; then
  answer_and_check notsolved 2 1003 2 1 3
  answer_and_check other 0 1002 3 1 1
fi

report
