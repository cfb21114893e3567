# Shared by the end-to-end scripts, which run the real tool (the x86_64
# build) under Wine on an X display and drive it with xdotool. Source it.
#
# It brings the tool driver of tests/wine/tool (prepared folders, windows
# as Windows lists them, clicks at computed positions, journal and log), counts
# checks instead of stopping at the first failure, and puts back everything
# of the shared test prefix a script changes: screen DPI, Windows version,
# the HubrelayService registration, the tool's log, its own folders.
set -euo pipefail

: "${HR_WIN_BUILD_DIR:?}" "${HR_SOURCE_DIR:?}" "${HR_BUILD_DIR:?}" "${WINEPREFIX:?}"
export WINEPREFIX WINEDEBUG=-all
. "$HR_SOURCE_DIR/scripts/wine-env.sh"
PY=/usr/bin/python3
E2E_DIR="$HR_SOURCE_DIR/tests/e2e"
SHOTS="$HR_BUILD_DIR/screenshots/e2e/${HR_WIN_ARCH:-x86_64}"
mkdir -p "$SHOTS"

# ---- display ----------------------------------------------------------------
# ctest gets one from scripts/test.sh; a script run by hand starts its own,
# on a display number the server itself finds free (never somebody else's).
e2e_own_xvfb=""
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  e2e_display_file="$(mktemp)"
  Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp > "$e2e_display_file" 2>/dev/null &
  e2e_own_xvfb=$!
  for _ in $(seq 100); do [ -s "$e2e_display_file" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -n 1 "$e2e_display_file")"
  rm -f "$e2e_display_file"
  xdpyinfo >/dev/null 2>&1 || { echo "FAIL: cannot start Xvfb" >&2; exit 1; }
fi

. "$HR_SOURCE_DIR/tests/wine/tool/tool-driver.sh"
hr_driver_init

# ---- checks -------------------------------------------------------------------
e2e_checks=0
e2e_failures=0
fail() { echo "FAIL: $*" >&2; e2e_failures=$((e2e_failures + 1)); }
pass() { e2e_checks=$((e2e_checks + 1)); }
check() {  # description, command...
  local what="$1"; shift
  if "$@"; then pass; else fail "$what"; fi
}
expect_eq() {  # description, expected, actual
  if [ "$2" == "$3" ]; then pass; else fail "$1: expected '$2', got '$3'"; fi
}
not() { ! "$@"; }
# Gives up on the script: what follows depends on what just failed.
die() { fail "$*"; exit 1; }
step() { echo "== $(date +%T.%N | cut -c1-12) $*"; }

# ---- prefix state -------------------------------------------------------------
. "$(dirname "${BASH_SOURCE[0]}")/../wine/prefix-state.sh"

# The Windows version Wine reports, as winecfg names it (win7, win81, ...).
e2e_version_saved=""
set_windows_version() {
  [ -n "$e2e_version_saved" ] || e2e_version_saved="$(hr_winecfg_version)"
  hr_winecfg_version "$1" && [ "$(hr_winecfg_version)" == "$1" ]
}

# The tool's log: kept aside, so that each case sees only its own records.
e2e_log_saved=""
e2e_log_dir_existed=1
[ -d "$(dirname "$HR_LOG_FILE")" ] || e2e_log_dir_existed=0
if [ -f "$HR_LOG_FILE" ]; then
  e2e_log_saved="$(mktemp)"
  cp -p "$HR_LOG_FILE" "$e2e_log_saved"
fi
log_restore() {
  if [ -n "$e2e_log_saved" ]; then
    cp -p "$e2e_log_saved" "$HR_LOG_FILE" && rm -f "$e2e_log_saved"
  else
    rm -f "$HR_LOG_FILE"
    [ "$e2e_log_dir_existed" == 1 ] || rmdir "$(dirname "$HR_LOG_FILE")" 2>/dev/null || true
  fi
}
# The records since the last hr_clear_log, as UTF-8 lines without CR.
log_lines() { hr_log_text | tr -d '\r' || true; }
# Exactly one record, with the logger's time stamp, carrying the text.
log_is_one_record() {  # text
  local lines; lines="$(log_lines)"
  [ "$(printf '%s\n' "$lines" | grep -c .)" == 1 ] &&
    grep -qE "^\[[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{3}ms\]   $1\$" <<< "$lines"
}

# ---- HubrelayService in Wine's service manager ---------------------------------
# Through the prefix's sc (the stand-in that prints as a zh-CN Windows does).
sc_() { hr_sc "$@"; }
service_registered() { sc_ query HubrelayService | grep -q '^SERVICE_NAME: HubrelayService'; }
service_running() { sc_ query HubrelayService | grep -q 'STATE *: 4 *RUNNING'; }
e2e_service_existed=""
service_remove() {
  sc_ stop HubrelayService >/dev/null
  sc_ delete HubrelayService >/dev/null
  local i
  for i in $(seq 50); do service_registered || return 0; sleep 0.1; done
  return 1
}
# A real, running HubrelayService (testenv's idle service program).
service_install() {
  [ -n "$e2e_service_existed" ] || { service_registered && e2e_service_existed=1 || e2e_service_existed=0; }
  service_remove || return 1
  local bin; bin="$(hr_winpath "$HR_TESTENV_BIN/hubrelay-service.exe")"
  sc_ create HubrelayService binPath= "\"$bin\"" DisplayName= "Tessaro Veride Hubrelay" | grep -q 成功 || return 1
  sc_ start HubrelayService >/dev/null
  local i
  for i in $(seq 50); do service_running && return 0; sleep 0.1; done
  return 1
}
service_restore() {
  [ -n "$e2e_service_existed" ] || return 0
  if [ "$e2e_service_existed" == 1 ]; then
    service_registered || service_install >/dev/null || true
  else
    service_remove || true
  fi
}

# ---- the tool's folders -------------------------------------------------------------
# Below a public Downloads folder, with blanks in the path as users have them.
E2E_ROOT="$WINEPREFIX/drive_c/users/Public/Downloads/Hubrelay e2e"
e2e_folder() {  # name -> prints the Unix path of a fresh, empty folder
  local dir="$E2E_ROOT/$1"
  rm -rf "$dir"
  mkdir -p "$dir"
  printf '%s\n' "$dir"
}
# The stand-in library's answers as UTF-16LE with a byte-order mark, so that
# the strings may be any text (the profile reader does not read UTF-8).
write_answers_utf16() {  # dir, Key=Value...
  local dir="$1"; shift
  { printf '\xff\xfe'
    { printf '[Feedback]\r\n'; local kv; for kv in "$@"; do printf '%s\r\n' "$kv"; done; } |
      iconv -f UTF-8 -t UTF-16LE; } > "$dir/$HR_LIBRARY_INI"
}
journal_count() { hr_journal "$1" | grep -c "^$2" || true; }  # dir, call name

# ---- windows and screens ----------------------------------------------------------------
# A screenshot of the screen, or of one window; prints the file, or nothing
# when the window has gone meanwhile.
shot() {  # name [hwnd]
  local file="$SHOTS/$1.png"
  if hr_screenshot "$file" "${2:-}"; then echo "$file"; fi
  return 0
}
# Windows of the tool that are exactly width x height, one handle a line.
windows_of_size() {  # width height
  hr_windows | awk -v w="$1" -v h="$2" '$4 == w && $5 == h { print $1 }'
}
window_shown() { [ -n "$(windows_of_size "$1" "$2")" ]; }  # width height
window_exists() { hr_geometry "$1" >/dev/null; }  # hwnd
# Waits until no window of that size is shown.
wait_window_gone() {  # width height [seconds]
  local i
  for i in $(seq $(( ${3:-10} * 5 ))); do window_shown "$1" "$2" || return 0; sleep 0.2; done
  return 1
}
# The pointer somewhere that is no control of any window. (A move with
# --sync to where the pointer already is waits for a motion that never
# comes, so every click should start from elsewhere.)
pointer_away() { xdotool mousemove 3 3; sleep 0.2; }
# "x y" of a point given relative to a window's top-left corner.
screen_point() {  # wid dx dy
  local g; g=$(hr_geometry "$1") || return 1
  set -- $g "$2" "$3"
  echo $(( $1 + $5 )) $(( $2 + $6 ))
}
shots() { "$PY" "$E2E_DIR/shots.py" "$@"; }
# Presses at a point (in a drag band) and drags by dx, dy in a few steps,
# slow enough for Wine's own move loop (the windows are unmanaged).
drag_by() {  # x y dx dy
  xdotool mousemove --sync "$1" "$2"; sleep 0.3
  xdotool mousedown 1; sleep 0.3
  local i
  for i in 1 2 3; do
    xdotool mousemove --sync $(( $1 + $3 * i / 3 )) $(( $2 + $4 * i / 3 )); sleep 0.3
  done
  xdotool mouseup 1; sleep 0.8
}

# Closes the tool the way a user does: the page's close button, "solved" in
# the feedback question, and the process ends with exit code 0.
close_through_feedback() {  # main window
  hr_click_in "$1" $(hr_page_close)
  local fb
  fb=$(hr_wait_feedback 15) || die "no feedback question"
  hr_click_in "$fb" $(hr_feedback_solved)
  hr_wait_tool_exit 20 || die "the tool did not end"
  expect_eq "exit code" 0 "$HR_TOOL_STATUS"
}

# ---- end ---------------------------------------------------------------------------
e2e_finish() {
  hr_stop_tool || true
  reg_restore
  if [ -n "$e2e_version_saved" ]; then hr_winecfg_version "$e2e_version_saved" || true; fi
  service_restore
  log_restore
  rm -rf "$E2E_ROOT"
  if [ -n "$e2e_own_xvfb" ]; then kill "$e2e_own_xvfb" 2>/dev/null || true; fi
}
trap e2e_finish EXIT

report() {
  echo "$e2e_checks checks passed, $e2e_failures failed; screenshots in $SHOTS"
  [ "$e2e_failures" -eq 0 ]
}
