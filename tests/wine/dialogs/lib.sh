# Shared by the dialog tests: a display, the screen's DPI in the prefix, the
# driver with its command channel, checks and screenshots. Source it.
set -euo pipefail

: "${HR_WIN_BUILD_DIR:?}" "${HR_SOURCE_DIR:?}" "${HR_BUILD_DIR:?}" "${WINEPREFIX:?}"
export WINEPREFIX WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
PY=/usr/bin/python3
WINE_RUN="$HR_SOURCE_DIR/tests/wine/wine-run.sh"
DRIVER_BUILT="$HR_WIN_BUILD_DIR/tests/wine/dialogs/dialog_driver.exe"
STANDIN_DLL="$HR_WIN_BUILD_DIR/testenv/bin/TessaroFeedbackInformation.dll"
SHOTS="$HR_BUILD_DIR/screenshots/dialogs/${HR_WIN_ARCH:-x86_64}"
mkdir -p "$SHOTS"

failures=0
checks=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { checks=$((checks + 1)); }
check() {  # description, command...
  local what="$1"; shift
  if "$@"; then pass; else fail "$what"; fi
}
expect_eq() {  # description, expected, actual
  if [ "$2" == "$3" ]; then pass; else fail "$1: expected '$2', got '$3'"; fi
}
expect_near() {  # description, expected, actual, tolerance
  local d=$(( $2 - $3 )); d=${d#-}
  if [ "$d" -le "$4" ]; then pass; else fail "$1: expected $2 +- $4, got $3"; fi
}

# ---- display ---------------------------------------------------------------
own_xvfb=""
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq $((200 + RANDOM % 300)) 600); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      own_xvfb=$!
      export DISPLAY=":$n"
      break
    fi
  done
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi

# ---- prefix settings ---------------------------------------------------------
. "$(dirname "${BASH_SOURCE[0]}")/../prefix-state.sh"

# ---- the driver --------------------------------------------------------------
# Runs from a folder of its own with the stand-in library beside it, so that
# its journal belongs to this test alone.
RUN_DIR=""
prepare_run_dir() {  # name
  RUN_DIR="$HR_BUILD_DIR/dialogs-runs/$1"
  rm -rf "$RUN_DIR"
  mkdir -p "$RUN_DIR"
  cp "$DRIVER_BUILT" "$RUN_DIR/"
  cp "$STANDIN_DLL" "$RUN_DIR/"
  printf '[Feedback]\r\nInitResult=1\r\n' > "$RUN_DIR/TessaroFeedbackInformation.ini"
}
JOURNAL() { echo "$RUN_DIR/TessaroFeedbackInformation.journal"; }

DRV_PID=""
DRV_IN=""
DRV_OUT=""
DRV_LOG=""
start_driver() {  # args...
  DRV_LOG="$RUN_DIR/driver.out"
  local fifo="$RUN_DIR/driver.in"
  rm -f "$fifo" "$DRV_LOG"
  mkfifo "$fifo"
  : > "$DRV_LOG"
  "$WINE_RUN" "$RUN_DIR/dialog_driver.exe" "$@" < "$fifo" > "$DRV_LOG" 2>"$RUN_DIR/driver.err" &
  DRV_PID=$!
  exec {DRV_IN}> "$fifo"
  wait_line '^ready' 30 || { fail "driver did not come up ($*)"; cat "$RUN_DIR/driver.err" >&2; stop_driver; return 1; }
  # Shown for Windows is not yet on the screen: wait for the X windows.
  info
  local deadline=$((SECONDS + 10))
  until x_window_at "$(field parent)" >/dev/null && x_window_at "$(field content)" >/dev/null; do
    [ $SECONDS -lt $deadline ] || { fail "pair not on the screen ($*)"; return 1; }
    sleep 0.05
  done
}
# Waits until a line matching the pattern appears in the driver's output.
wait_line() {  # regex, seconds
  local deadline=$((SECONDS + $2))
  while [ $SECONDS -lt $deadline ]; do
    if grep -qE "$1" "$DRV_LOG"; then return 0; fi
    sleep 0.05
  done
  return 1
}
send() { echo "$*" >&"$DRV_IN"; }
# One fresh geometry report; fields land in INFO_* variables.
info_count=0
info() {
  info_count=$((info_count + 1))
  local before
  before=$(grep -c '^end-info' "$DRV_LOG" || true)
  send info
  local deadline=$((SECONDS + 10))
  while [ "$(grep -c '^end-info' "$DRV_LOG" || true)" -le "$before" ]; do
    [ $SECONDS -lt $deadline ] || { fail "no info"; return 1; }
    sleep 0.05
  done
  # The last report only.
  INFO=$(awk '/^parent |^info none/ {buf=""} {buf=buf $0 "\n"} /^end-info/ {last=buf} END {printf "%s", last}' "$DRV_LOG")
}
field() {  # key -> rest of the line from the last info
  echo "$INFO" | awk -v k="$1" '$1 == k { $1=""; sub(/^ /, ""); print; exit }'
}
ctl() {  # id -> "l t r b visible" from the last info
  echo "$INFO" | awk -v id="$1" '$1 == "ctl" && $2 == id { print $3, $4, $5, $6, $7; exit }'
}
# Waits for DoModal's result and prints it; empty when the driver is still up.
result() {  # seconds
  if wait_line '^result ' "${1:-10}"; then
    awk '/^result / {print $2; exit}' "$DRV_LOG"
  fi
}
stop_driver() {
  if [ -n "$DRV_IN" ]; then exec {DRV_IN}>&- || true; DRV_IN=""; fi
  if [ -n "$DRV_PID" ]; then
    local deadline=$((SECONDS + 10))
    while kill -0 "$DRV_PID" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
    kill "$DRV_PID" 2>/dev/null || true
    wait "$DRV_PID" 2>/dev/null || true
    DRV_PID=""
  fi
}
# Types Enter and Esc (and the keypad's Enter) on the screen and waits until
# the driver's loop has taken them from its queue.
press_enter_and_escape() {
  local before after deadline=$((SECONDS + 5))
  send keys; wait_line '^keys ' 5 || true
  before=$(grep '^keys ' "$DRV_LOG" | tail -1 | awk '{print $2 + $3}')
  xdotool key Return Escape KP_Enter
  while [ $SECONDS -lt $deadline ]; do
    local n; n=$(grep -c '^keys ' "$DRV_LOG" || true)
    send keys
    while [ "$(grep -c '^keys ' "$DRV_LOG" || true)" -le "$n" ]; do sleep 0.02; done
    after=$(grep '^keys ' "$DRV_LOG" | tail -1 | awk '{print $2 + $3}')
    [ "$after" -ge $((before + 3)) ] && return 0
    sleep 0.05
  done
  fail "Enter and Esc did not reach the dialog"
}
# Still open: no result after a moment and the parent still reported.
still_open() {
  sleep 0.3
  ! grep -q '^result ' "$DRV_LOG" && info && [ -n "$(field parent)" ]
}

# ---- X ---------------------------------------------------------------------
centre_of() {  # "l t r b" -> "x y"
  set -- $1
  echo $(( ($1 + $3) / 2 )) $(( ($2 + $4) / 2 ))
}
# Moves the pointer and waits until the driver's process has seen it there.
# Wine learns the position from motion over its own windows only (it may go
# on reporting an old one otherwise), so the point must lie on the pair and
# the pointer is nudged to make sure a motion happens.
point_at() {  # x y
  xdotool mousemove --sync $(( $1 + 1 )) "$2"
  xdotool mousemove --sync "$1" "$2"
  local deadline=$((SECONDS + 5)) n
  while [ $SECONDS -lt $deadline ]; do
    n=$(grep -c '^cursor ' "$DRV_LOG" || true)
    send cursor
    while [ "$(grep -c '^cursor ' "$DRV_LOG" || true)" -le "$n" ]; do sleep 0.02; done
    [ "$(grep '^cursor ' "$DRV_LOG" | tail -1)" == "cursor $1 $2" ] && return 0
    sleep 0.05
  done
  fail "the pointer did not reach $1 $2"
}
# Unhurried presses: a loaded machine must not turn them into something else.
click_at() {  # x y
  point_at "$1" "$2"
  sleep 0.1
  xdotool mousedown 1
  sleep 0.1
  xdotool mouseup 1
}
drag() {  # x y dx dy
  point_at "$1" "$2"
  sleep 0.1
  xdotool mousedown 1
  sleep 0.3
  local i
  for i in 1 2 3 4 5; do
    xdotool mousemove --sync $(( $1 + $3 * i / 5 )) $(( $2 + $4 * i / 5 ))
    sleep 0.1
  done
  sleep 0.3
  xdotool mouseup 1
  sleep 0.3
}
# X windows of the driver whose geometry is exactly "l t r b" (Windows
# screen coordinates are the root's).
x_window_at() {  # "l t r b"
  local want="$1" id geo
  for id in $(xdotool search --onlyvisible --class dialog_driver 2>/dev/null); do
    geo=$(xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, x+w, y+h}')
    if [ "$geo" == "$want" ]; then echo "$id"; return 0; fi
  done
  return 1
}
shot() {  # name -> path of a screenshot of the whole screen
  local file="$SHOTS/$1.png"
  import -window root "$file"
  echo "$file"
}
# A screenshot and the pair over a light desktop (see composite.py).
composite() {  # name, corner ellipse, shadow margin
  send layer
  wait_line '^layer-written 1' 10 || { fail "no layer from the driver"; return 0; }
  info
  LAST_SHOT=$(shot "$1")
  if "$PY" "$HR_SOURCE_DIR/tests/wine/dialogs/composite.py" "$LAST_SHOT" "$RUN_DIR/layer.bin" \
       "$(field parent)" "$(field content)" "$2" "$SHOTS/$1-desktop.png" "$3"; then
    pass
  else
    fail "$1 over a light desktop"
  fi
}
# Runs a Python check over a screenshot; prints its findings, fails on exit != 0.
pycheck() {  # description, python code, args...
  local what="$1" code="$2"; shift 2
  if "$PY" -c "$code" "$@"; then pass; else fail "$what"; fi
}

finish() {
  stop_driver || true
  reg_restore
  if [ -n "$own_xvfb" ]; then kill "$own_xvfb" 2>/dev/null || true; fi
}
trap finish EXIT
# A test stopped from outside still puts the prefix back.
trap 'exit 143' TERM INT HUP

report() {
  echo "$checks checks passed, $failures failed"
  [ "$failures" -eq 0 ]
}
