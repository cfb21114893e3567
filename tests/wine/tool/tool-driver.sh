# Shell helpers that drive the whole tool (either build) under Wine and an
# X display: prepare a folder the way a user would have it, start the tool
# there, find its windows by size, click controls by their computed
# positions, read the log and the stand-in companion library's journal.
# Source it from a test script; it needs WINEPREFIX, HR_WIN_BUILD_DIR (the
# build under test) and DISPLAY (the ctest registration and scripts/test.sh provide them).
#
#   . tests/wine/tool/tool-driver.sh
#   hr_prepare_folder "$dir" InitResult=1 NewVersionResult=0
#   hr_start_tool "$dir"
#   main=$(hr_wait_window 434 634) || hr_fail "no main window"
#   hr_click_in "$main" $(hr_page_close)    # positions below, at 96 DPI
#   ...
#   hr_wait_tool_exit 20 && [ "$HR_TOOL_STATUS" = 0 ]

HR_TOOL_NAME=RemedoTessaroModernHubrelayServiceUninstalled.exe
HR_LIBRARY_NAME=TessaroFeedbackInformation.dll
HR_LIBRARY_INI=TessaroFeedbackInformation.ini
HR_LIBRARY_JOURNAL=TessaroFeedbackInformation.journal
HR_LOG_NAME="Tessaro Veride Hubrelay 服务卸载工具.txt"
HR_MAIN_TITLE="Tessaro Veride Hubrelay 服务卸载工具"
HR_TOOL_PID=
HR_TOOL_STATUS=
HR_TOOL_WINPATH=

hr_fail() { echo "FAIL: $*" >&2; exit 1; }
hr_note() { echo "-- $*" >&2; }

hr_driver_init() {
  : "${WINEPREFIX:?WINEPREFIX is not set}"
  : "${HR_WIN_BUILD_DIR:?HR_WIN_BUILD_DIR is not set}"
  [ -n "${DISPLAY:-}" ] || hr_fail "no X display (run through scripts/test.sh or start Xvfb)"
  export WINEPREFIX
  . "$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)/scripts/wine-env.sh"
  HR_TOOL_EXE="$HR_WIN_BUILD_DIR/src/app/$HR_TOOL_NAME"
  HR_TESTENV_BIN="$HR_WIN_BUILD_DIR/testenv/bin"
  [ -f "$HR_TOOL_EXE" ] || hr_fail "tool not built: $HR_TOOL_EXE"
  HR_LOG_FILE="$WINEPREFIX/drive_c/ProgramData/ToolLog/$HR_LOG_NAME"
}

# A fresh folder inside the prefix's drive C (removed first if it exists).
hr_new_folder() {  # name -> prints the Unix path
  local dir="$WINEPREFIX/drive_c/hr-tool-tests/$1"
  rm -rf "$dir"
  mkdir -p "$dir"
  printf '%s\n' "$dir"
}

# A Wine start can fail while the previous program's wineserver is still
# ending (it lingers a few seconds after its last client): an empty name
# is asked again rather than handed on.
hr_winpath() {
  local out try
  for try in 1 2 3; do
    out="$(hr_winepath -w "$1")"
    [ -z "$out" ] || { printf '%s\n' "$out"; return 0; }
    sleep 1
  done
  hr_fail "winepath cannot name $1"
}

# The tool, the stand-in companion library and its answers (Key=Value
# arguments for the ini's [Feedback] section; none gives the defaults: the
# library initialises and knows no newer version).
hr_prepare_folder() {  # dir [Key=Value...]
  local dir="$1"; shift
  mkdir -p "$dir"
  cp "$HR_TOOL_EXE" "$dir/$HR_TOOL_NAME"
  cp "$HR_TESTENV_BIN/$HR_LIBRARY_NAME" "$dir/$HR_LIBRARY_NAME"
  hr_write_answers "$dir" "$@"
}

hr_write_answers() {  # dir [Key=Value...]
  local dir="$1"; shift
  { printf '[Feedback]\r\n'; local kv; for kv in "$@"; do printf '%s\r\n' "$kv"; done; } > "$dir/$HR_LIBRARY_INI"
}

hr_clear_log() { rm -f "$HR_LOG_FILE"; }
# The log as UTF-8 (records are code page 936).
hr_log_text() { [ -f "$HR_LOG_FILE" ] && iconv -f GBK -t UTF-8 < "$HR_LOG_FILE"; }
hr_journal() { cat "$1/$HR_LIBRARY_JOURNAL" 2>/dev/null; }

# What Wine prints about the tool (a crash's "Unhandled exception" among
# it) is kept, so that a test that loses the tool can say how it ended.
# The tool passes none of its caller's variables to the commands it starts,
# so the stand-ins read a test's STANDIN_* settings from the registry
# (HKCU\Software\HubrelayStandins): this puts there exactly the STANDIN_*
# variables of the calling shell, and clears what an earlier start left.
hr_standins_sync() {
  local wanted name value reg
  wanted="$(env | grep '^STANDIN_' | sort || true)"
  # Nothing wanted: only what an earlier start left goes.
  [ -n "$wanted" ] || { hr_standins_clear; return 0; }
  reg="$(mktemp "${TMPDIR:-/tmp}/hr-standins.XXXXXX.reg")"
  { printf 'REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\HubrelayStandins]\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\HubrelayStandins]\r\n'
    while IFS='=' read -r name value; do
      [ -n "$name" ] || continue
      value=${value//\\/\\\\}
      printf '"%s"="%s"\r\n' "$name" "${value//\"/\\\"}"
    done <<<"$wanted"; } > "$reg"
  local try regpath
  regpath="$(hr_winpath "$reg")"
  for try in 1 2 3; do
    hr_wine regedit /S "$regpath" >/dev/null 2>&1 && break
    [ "$try" = 3 ] && hr_fail "cannot write the stand-ins' settings"
    sleep 1
  done
  rm -f "$reg"
  : > "$(hr_standins_marker)"
}

hr_start_tool() {  # dir
  local dir="$1"
  hr_standins_sync
  HR_TOOL_WINPATH=$(hr_winpath "$dir/$HR_TOOL_NAME")
  # (one file per script: the previous run's text is of no more use)
  rm -f "${HR_TOOL_ERR:-}"
  HR_TOOL_ERR="$(mktemp "${TMPDIR:-/tmp}/hr-tool-stderr.XXXXXX")"
  ( cd "$dir" && exec "$HR_WINE64" "./$HR_TOOL_NAME" ) >/dev/null 2>"$HR_TOOL_ERR" &
  HR_TOOL_PID=$!
  HR_TOOL_STATUS=
}

# How the tool stands, for a failure message: running, or its exit code,
# and what Wine printed about it.
hr_tool_state() {
  if hr_tool_running; then
    echo "the tool is running"
  else
    # (only the shell that started the tool can collect its exit code)
    [ -n "$HR_TOOL_STATUS" ] || { wait "$HR_TOOL_PID" 2>/dev/null && HR_TOOL_STATUS=0 || HR_TOOL_STATUS=$?; }
    echo "the tool has ended with exit code $HR_TOOL_STATUS"
  fi
  if [ -s "${HR_TOOL_ERR:-}" ]; then echo "Wine printed:"; tail -n 20 "$HR_TOOL_ERR"; fi
}

hr_tool_running() { [ -n "$HR_TOOL_PID" ] && kill -0 "$HR_TOOL_PID" 2>/dev/null; }

# Waits for the tool's process to end; its exit code lands in HR_TOOL_STATUS.
hr_wait_tool_exit() {  # [seconds]
  local limit=$(( ${1:-20} * 10 )) i=0
  while hr_tool_running; do
    [ $i -ge $limit ] && return 1
    sleep 0.1; i=$((i + 1))
  done
  wait "$HR_TOOL_PID" 2>/dev/null
  HR_TOOL_STATUS=$?
  return 0
}

# Ends the tool started by hr_start_tool, should a test give up on it.
hr_stop_tool() {
  if hr_tool_running; then kill "$HR_TOOL_PID" 2>/dev/null; sleep 0.5; fi
  wait "$HR_TOOL_PID" 2>/dev/null || true
  rm -f "${HR_TOOL_ERR:-}"
}

# The tool's visible top-level windows as Windows sees them (the X side may
# lag: Wine without a window manager unmaps hidden windows late), one line
# each: "hwnd left top width height enabled children title", children being
# the number of its visible controls.
hr_windows() {
  [ -n "${HR_TOOL_WINPATH:-}" ] || return 0
  hr_wine "$HR_TESTENV_BIN/winlist.exe" "$HR_TOOL_WINPATH" 2>/dev/null | tr -d '\r' || true
}

# The controls of the tool's visible windows, one line each: "id left top
# width height visible enabled checked" (screen coordinates; checked is a
# button's check state).
hr_controls() {
  [ -n "${HR_TOOL_WINPATH:-}" ] || return 0
  hr_wine "$HR_TESTENV_BIN/winlist.exe" --controls "$HR_TOOL_WINPATH" 2>/dev/null | tr -d '\r' || true
}

# "left top width height visible enabled checked" of the first control with
# that ID.
hr_control() {  # id
  hr_controls | awk -v id="$1" '$1 == id { print $2, $3, $4, $5, $6, $7, $8; found = 1; exit } END { exit !found }'
}

# Clicks the middle of a control, at the place the tool itself put it.
hr_click_control() {  # id
  local g; g=$(hr_control "$1") || return 1
  set -- $g
  hr_click_at $(( $1 + $3 / 2 )) $(( $2 + $4 / 2 ))
}

# Posts a message to a window listed by hr_windows (the taskbar's way of
# reaching the main window's system menu).
hr_post() {  # hwnd message wParam lParam
  hr_wine "$HR_TESTENV_BIN/winlist.exe" --post "$@" >/dev/null 2>&1
}
HR_WM_SYSCOMMAND=0x0112 HR_SC_RESTORE=0xF120 HR_SC_CLOSE=0xF060 HR_ID_SYSMENU_ABOUT=0x0010

# "left top width height" of a window listed by hr_windows.
hr_geometry() {  # hwnd
  hr_windows | awk -v h="$1" '$1 == h { print $2, $3, $4, $5; found = 1 } END { exit !found }'
}

hr_window_title() {  # hwnd
  hr_windows | awk -v h="$1" '$1 == h { $1 = $2 = $3 = $4 = $5 = $6 = $7 = ""; sub(/^ +/, ""); print }'
}

# Prints the handle of a visible window of exactly width x height, waiting
# for it to appear; fails after the timeout.
hr_wait_window() {  # width height [seconds]
  local limit=$(( ${3:-30} * 4 )) i=0 hwnd
  while [ $i -lt $limit ]; do
    hwnd=$(hr_windows | awk -v w="$1" -v h="$2" '$4 == w && $5 == h { print $1; exit }')
    if [ -n "$hwnd" ]; then echo "$hwnd"; return 0; fi
    sleep 0.25; i=$((i + 1))
  done
  return 1
}

# Prints the handle of a visible window whose listing line matches the
# extended regular expression (its title, say), waiting for it to appear.
hr_wait_listed() {  # regex [seconds]
  local limit=$(( ${2:-10} * 4 )) i=0 hwnd
  while [ $i -lt $limit ]; do
    hwnd=$(hr_windows | awk -v re="$1" '$0 ~ re { print $1; exit }')
    if [ -n "$hwnd" ]; then echo "$hwnd"; return 0; fi
    sleep 0.25; i=$((i + 1))
  done
  return 1
}

# Whether a window of that size is shown right now.
hr_window_shown() {  # width height
  hr_windows | awk -v w="$1" -v h="$2" '$4 == w && $5 == h { found = 1 } END { exit !found }'
}

# Prompts are told apart by their controls: the progress prompt's content has
# one (its status line), a message prompt's content its close and confirm
# buttons and the message. Prints the handle of the message prompt's content.
# Windows lists the prompt as shown a moment before the X server has mapped
# it, and a click in that moment lands on the (disabled) window below and is
# lost: the wait ends half a second after the prompt is listed, as a
# screenshot's does.
hr_wait_message_prompt() {  # [seconds]
  local limit=$(( ${1:-30} * 4 )) i=0 hwnd
  while [ $i -lt $limit ]; do
    hwnd=$(hr_windows | awk '$4 == 348 && $5 == 236 && $7 >= 2 { print $1; exit }')
    if [ -n "$hwnd" ]; then sleep 0.5; echo "$hwnd"; return 0; fi
    sleep 0.25; i=$((i + 1))
  done
  return 1
}

# The feedback question once its three answer buttons are up; prints the
# handle of its 434 x 514 parent, relative to which hr_feedback_* click.
hr_wait_feedback() {  # [seconds]
  local limit=$(( ${1:-15} * 4 )) i=0
  while [ $i -lt $limit ]; do
    if hr_windows | awk '$4 == 400 && $5 == 480 && $7 >= 3 { found = 1 } END { exit !found }'; then
      sleep 0.3
      hr_wait_window $HR_FEEDBACK_W $HR_FEEDBACK_H 1
      return
    fi
    sleep 0.25; i=$((i + 1))
  done
  return 1
}

# Whether the progress prompt (a 348 x 236 content with one control) is shown.
hr_progress_shown() {
  hr_windows | awk '$4 == 348 && $5 == 236 && $7 == 1 { found = 1 } END { exit !found }'
}

# Waits until no window of that size is shown.
hr_wait_window_gone() {  # width height [seconds]
  local limit=$(( ${3:-10} * 4 )) i=0
  while hr_window_shown "$1" "$2"; do
    [ $i -ge $limit ] && return 1
    sleep 0.25; i=$((i + 1))
  done
  return 0
}

# Waits until the fix page takes input again: enabled, with no prompt and no
# feedback question on screen. Clicks sent earlier would be dropped.
hr_wait_page_ready() {  # [seconds]
  local limit=$(( ${1:-15} * 4 )) i=0
  while [ $i -lt $limit ]; do
    if hr_windows | awk -v pw=$HR_PAGE_W -v ph=$HR_PAGE_H '
         $4 == pw && $5 == ph && $6 == 1 { page = 1 }
         $4 == 348 && $5 == 236 { other = 1 }
         $4 == 434 && $5 == 514 { other = 1 }
         END { exit !(page && !other) }'; then
      sleep 0.3; return 0
    fi
    sleep 0.25; i=$((i + 1))
  done
  return 1
}

# Moves the pointer to a screen point, rests (buttons track hover after
# 10 ms), and clicks the left button.
hr_click_at() {  # x y
  xdotool mousemove --sync "$1" "$2"
  sleep 0.3
  xdotool mousedown 1
  sleep 0.1
  xdotool mouseup 1
  sleep 0.3
}

# Clicks a point given relative to a window's top-left corner. A window
# that is not listed is said aloud: under `set -e` the script would
# otherwise end without a word.
# The lookup is made twice: once in CI a listing lacked a prompt that the
# next listing, taken at once, showed unchanged with the tool running.
hr_click_in() {  # hwnd x y
  local g
  g=$(hr_geometry "$1") || { sleep 0.3; g=$(hr_geometry "$1"); } || {
    { echo "FAIL: cannot click in window $1: it is not listed; the tool's windows: $(hr_windows | tr '\n' ';')"
      hr_tool_state; } >&2
    return 1
  }
  set -- $g "$2" "$3"
  hr_click_at $(( $1 + $5 )) $(( $2 + $6 ))
}

# The centre of a rectangle given as left top right bottom.
hr_centre() { echo $(( ($1 + $3) / 2 )) $(( ($2 + $4) / 2 )); }

# A PNG of the whole screen, or of one window when a handle is given. The
# X side catches up with Windows' window state a moment later.
hr_screenshot() {  # file [hwnd]
  sleep 0.5
  if [ -n "${2:-}" ]; then
    local g; g=$(hr_geometry "$2") || return 1
    set -- "$1" $g
    import -window root -crop "${4}x${5}+${2}+${3}" +repage "$1"
  else
    import -window root "$1"
  fi
}

# Scale-1 positions (96 DPI) of what the tests click, relative to each
# window's top-left corner, from the tool's layouts.
HR_MAIN_W=434 HR_MAIN_H=634          # main window; the fix page lies 17 in
HR_PAGE_W=400 HR_PAGE_H=600
HR_PROMPT_W=348 HR_PROMPT_H=236      # message and progress prompts
HR_FEEDBACK_W=434 HR_FEEDBACK_H=514  # feedback parent; its content lies 17 in
hr_page_close()      { echo $((17 + 380)) $((17 + 18)); }   # 374,12 - 387,25
hr_page_minimize()   { echo $((17 + 343)) $((17 + 18)); }   # 337,12 - 350,25
hr_page_uninstall()  { echo $((17 + 200)) $((17 + 502)); }  # 78,478 - 322,526
hr_page_moretools()  { echo $((17 + 333)) $((17 + 400)); }  # 306,390 - 360,411
hr_page_checkbox()   { echo $((17 + 16)) $((17 + 585)); }   # box 8..24 at the bottom left
hr_prompt_confirm()  { echo 174 205; }                      # 118,186 - 230,224
hr_feedback_solved()    { echo $((17 + 200)) $((17 + 218)); }  # 71,196 - 329,240
hr_feedback_notsolved() { echo $((17 + 200)) $((17 + 302)); }  # 71,280 - 329,324
hr_feedback_other()     { echo $((17 + 200)) $((17 + 386)); }  # 71,364 - 329,408
# Control IDs of the fix page, for hr_control and hr_click_control.
HR_ID_CLOSE=1009 HR_ID_MINIMIZE=1010 HR_ID_AGREE=1011 HR_ID_VERSION=1012
HR_ID_MORETOOLS=1013 HR_ID_UNINSTALL=1014 HR_ID_AGREEMENT=1015 HR_ID_FEEDBACK=1016
