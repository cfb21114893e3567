#!/usr/bin/env bash
# Quiet runs, started as deployment engines start the tool, one row per case.
# Each checks the full 32-bit exit code (read on the Windows side by
# testenv's launcher: Wine's Unix side keeps 8 bits), the RESULT= line on the
# redirected standard output and at the end of the /log file, the service's
# real state afterwards, the tool's own log record, that the companion
# library was asked nothing but its initialisation (nothing at all when the
# run stops before loading it), and that no window of the tool was ever
# mapped on the X side. At the end: every tool folder is still whole, and a
# refused switch and the usage on the desktop show the tool's prompt.
set -euo pipefail
. "$(dirname "$0")/tool-driver.sh"
hr_driver_init
. "$(dirname "$0")/../prefix-state.sh"

launcher="$HR_TESTENV_BIN/hrlaunch.exe"
release="$HR_TESTENV_BIN/release-stop"
version_saved="$(hr_winecfg_version)"
sc() { hr_sc "$@"; }
registered() { sc query HubrelayService | grep -q '^SERVICE_NAME: HubrelayService'; }
state() { sc query HubrelayService | awk '/STATE/ { print $4 }'; }

service_remove() {
  touch "$release"
  sc stop HubrelayService >/dev/null
  sc delete HubrelayService >/dev/null
  for _ in $(seq 100); do registered || break; sleep 0.1; done
  rm -f "$release"
  ! registered || hr_fail "cannot remove the test service"
}
# running: an ordinary service; settling: takes 3 s to stop; slow: stays
# stopping until released; marked: slow, and already stopped and deleted
# once (listed, marked for deletion); none: not registered.
service_setup() {  # kind
  service_remove
  [ "$1" = none ] && return 0
  local args=""
  case "$1" in settling) args=" --stop-after 3000" ;; slow | marked) args=" --stop-after 600000" ;; esac
  sc create HubrelayService binPath= "\"$(hr_winpath "$HR_TESTENV_BIN/hubrelay-service.exe")\"$args" \
     DisplayName= "Tessaro Veride Hubrelay" | grep -q 成功 || hr_fail "cannot register the test service"
  sc start HubrelayService >/dev/null
  for _ in $(seq 50); do [ "$(state)" = RUNNING ] && break; sleep 0.1; done
  [ "$(state)" = RUNNING ] || hr_fail "the test service does not run"
  if [ "$1" = marked ]; then
    sc stop HubrelayService >/dev/null
    sc delete HubrelayService | grep -q 成功 || hr_fail "cannot mark the test service for deletion"
  fi
}

# Every window the X server maps, from the first case on.
xev_log="$(mktemp)"
stdbuf -oL xev -root -event substructure > "$xev_log" 2>/dev/null &
xev_pid=$!
maps() { grep -c MapNotify "$xev_log" || true; }

cleanup() {
  kill "$xev_pid" 2>/dev/null || true
  rm -f "$xev_log"
  hr_stop_tool
  service_remove || true
  hr_winecfg_version "$version_saved" || true
}
trap cleanup EXIT

# Starts the tool through the launcher; prints "exit=<code>". Extra
# arguments go to the launcher before "--".
launch() {  # dir args [launcher options...]
  local dir="$1" args="$2"; shift 2
  hr_standins_sync
  hr_wine "$launcher" "$@" --stdout "$(hr_winpath "$dir/stdout.txt")" -- \
    "\"$(hr_winpath "$dir/$HR_TOOL_NAME")\" $args" 2>/dev/null | tr -d '\r'
}

folders=()
# name | service | folder | environment | hidden station | arguments (LOG: a
# run log in folders yet to be made) | exit code | word | service afterwards | tool log record
cases="
present     | running  | std   |                          | 0 | /quiet /log LOG              | 0    | removed               | gone    |
forms       | running  | std   |                          | 0 | -QUIET --Log=LOG /NoRestart  | 0    | removed               | gone    |
absent      | none     | std   |                          | 0 | /S /log:LOG                  | 0    | not-present           | gone    | 系统中未找到指定的服务
settling    | settling | std   |                          | 0 | --verysilent /log LOG        | 0    | removed               | gone    |
marked      | marked   | std   |                          | 0 | /q /log=LOG                  | 3010 | removed-after-restart | listed  |
english     | slow     | std   | STANDIN_SC_LANG=en       | 0 | /qn /log LOG                 | 3010 | removed-after-restart | listed  |
denied      | running  | std   | STANDIN_SC_EXIT=delete:5 | 0 | /silent /log LOG             | 1603 | failed                | listed  | 卸载服务失败
unknown     | running  | std   |                          | 0 | /quiet /bogus /log LOG       | 87   | bad-command-line      | running |
nologfile   | running  | std   |                          | 0 | /quiet /log                  | 87   | bad-command-line      | running |
unsupported | running  | win8  |                          | 0 | /quiet /log LOG              | 1150 | unsupported-os        | running | 此工具不支持当前系统
nolibrary   | running  | nolib |                          | 0 | /quiet /log LOG              | 126  | companion-missing     | running | 加载反馈DLL失败
initfails   | running  | init0 |                          | 0 | /quiet /log LOG              | 1114 | companion-failed      | running | 初始化反馈DLL失败
hidden      | running  | std   |                          | 1 |                              | 0    | removed               | gone    |
hiddenlog   | none     | std   |                          | 1 | /log LOG                     | 0    | not-present           | gone    |
hiddenhelp  | running  | std   |                          | 1 | /?                           | 0    | usage                 | running |
"
while IFS='|' read -r name service folder environment hidden args code word after record; do
  name=$(echo $name)
  [ -n "$name" ] || continue
  # HR_QUIET_ONLY=<regex> runs only the cases it names (by hand).
  [[ -z "${HR_QUIET_ONLY:-}" || "$name" =~ ^(${HR_QUIET_ONLY})$ ]] || continue
  service=$(echo $service) folder=$(echo $folder) environment=$(echo $environment) hidden=$(echo $hidden)
  args=$(echo $args) code=$(echo $code) word=$(echo $word) after=$(echo $after) record=$(echo $record)
  hr_note "$name: $args"
  service_setup "$service"
  dir=$(hr_new_folder "quiet $name")
  folders+=("$dir")
  case "$folder" in
    nolib) cp "$HR_TOOL_EXE" "$dir/" ;;
    init0) hr_prepare_folder "$dir" InitResult=0 ;;
    *) hr_prepare_folder "$dir" ;;
  esac
  [ "$folder" = win8 ] && { hr_winecfg_version win8 || hr_fail "$name: winecfg cannot set win8"; }
  log="$dir/logs/new folder/run.log"
  uses_log=0
  [[ "$args" == *LOG* ]] && uses_log=1
  args=${args//LOG/\"$(hr_winpath "$log")\"}
  hr_clear_log
  before=$(maps)
  options=()
  [ "$hidden" = 1 ] && options+=(--hidden-station)
  if [ "$name" = english ]; then
    # A second run while this one waits for the service to go: it finds
    # the machine-wide lock held and ends at once, having done nothing.
    first="$(mktemp)"
    ( export $environment; launch "$dir" "$args" > "$first" ) &
    first_pid=$!
    for _ in $(seq 100); do [ "$(state)" = STOP_PENDING ] && break; sleep 0.1; done
    [ "$(state)" = STOP_PENDING ] || hr_fail "busy: the first run did not get to stop the service"
    second=$(hr_new_folder "quiet busy")
    folders+=("$second")
    hr_prepare_folder "$second"
    [ "$(launch "$second" /quiet)" = exit=1618 ] || hr_fail "busy: a second run did not end with 1618"
    [ "$(tr -d '\r' < "$second/stdout.txt")" = "RESULT=1618 busy" ] || hr_fail "busy: $(cat "$second/stdout.txt")"
    hr_note "busy: exit=1618, standard output: RESULT=1618 busy"
    [ -z "$(hr_journal "$second")" ] || hr_fail "busy: the second run asked the library: $(hr_journal "$second")"
    wait "$first_pid" || true
    launched=$(cat "$first")
    rm -f "$first"
  else
    launched=$( [ -z "$environment" ] || export $environment; launch "$dir" "$args" "${options[@]}" )
  fi
  [ "$folder" = win8 ] && hr_winecfg_version "$version_saved"

  [ "$launched" = "exit=$code" ] || hr_fail "$name: expected exit=$code, got '$launched'"
  out=$(tr -d '\r' < "$dir/stdout.txt")
  hr_note "$name: $launched, standard output: $(head -n 1 <<<"$out")"
  if [ "$word" = usage ]; then
    grep -q '^Usage: ' <<<"$out" || hr_fail "$name: no usage on standard output: $out"
  else
    [ "$out" = "RESULT=$code $word" ] || hr_fail "$name: standard output: $out"
    if [ "$uses_log" = 1 ]; then
      [ -f "$log" ] || hr_fail "$name: no run log"
      text=$(tr -d '\r' < "$log")
      [ "$(tail -n 1 <<<"$text")" = "RESULT=$code $word" ] || hr_fail "$name: run log: $text"
      grep -qx 'mode: quiet' <<<"$text" || hr_fail "$name: run log without its mode: $text"
      grep -q '^Tessaro Veride Hubrelay uninstall tool 1\.2\.24\.1010$' <<<"$text" || hr_fail "$name: no version: $text"
      if [ "$hidden" = 1 ]; then
        grep -qx 'no interactive desktop: quiet' <<<"$text" || hr_fail "$name: the run log does not say why it was quiet"
      fi
      case "$code" in 0 | 3010 | 1603) grep -q '^delete: \|^query: ' <<<"$text" || hr_fail "$name: no step lines: $text" ;; esac
    fi
  fi
  [ "$(maps)" = "$before" ] || hr_fail "$name: a window was mapped: $(grep -A1 MapNotify "$xev_log" | tail -n 2)"
  case "$after" in
    gone) registered && hr_fail "$name: the service is still registered" ;;
    listed) registered || hr_fail "$name: the service is gone, although the run said a restart completes it" ;;
    running) [ "$(state)" = RUNNING ] || hr_fail "$name: the service was touched: $(state)" ;;
  esac
  if [ -n "$record" ]; then
    hr_log_text | grep -qF "$record" || hr_fail "$name: no log record '$record': $(hr_log_text)"
  fi
  journal=$(hr_journal "$dir" || true)
  case "$code/$word" in
    87/* | 1150/* | 126/* | 0/usage) [ -z "$journal" ] || hr_fail "$name: the library was asked: $journal" ;;
    *) [ "$(cut -f1 <<<"$journal" | sort -u)" = InitFreedbackDll ] || hr_fail "$name: journal: $journal" ;;
  esac
done <<<"$cases"

# No quiet run removes its own files (the desktop's removal starts 3 s after
# the end).
sleep 4
for dir in "${folders[@]}"; do
  [ -e "$dir/$HR_TOOL_NAME" ] || hr_fail "$dir: the tool's executable is gone"
  [ -e "$dir/$HR_LIBRARY_NAME" ] || [[ "$dir" == *nolibrary ]] || hr_fail "$dir: the companion library is gone"
done

# On the desktop: a refused switch and the usage each in the tool's prompt,
# then 87 and 0; nothing queried or removed, the library never asked.
service_setup running
for row in "/bogus 87 bad-command-line" "/? 0 usage"; do
  read -r args code word <<<"$row"
  dir=$(hr_new_folder "desktop $word")
  hr_prepare_folder "$dir"
  HR_TOOL_WINPATH=$(hr_winpath "$dir/$HR_TOOL_NAME")
  result="$(mktemp)"
  launch "$dir" "$args" > "$result" &
  launched_pid=$!
  prompt=$(hr_wait_message_prompt 30) || hr_fail "desktop $args: no prompt"
  hr_window_shown $HR_MAIN_W $HR_MAIN_H && hr_fail "desktop $args: the main window came up"
  hr_click_in "$prompt" $(hr_prompt_confirm)
  wait "$launched_pid" || true
  [ "$(cat "$result")" = "exit=$code" ] || hr_fail "desktop $args: expected exit=$code, got '$(cat "$result")'"
  hr_note "desktop $args: prompt, $(cat "$result")"
  rm -f "$result"
  [ "$(state)" = RUNNING ] || hr_fail "desktop $args: the service was touched: $(state)"
  [ -z "$(hr_journal "$dir")" ] || hr_fail "desktop $args: the library was asked: $(hr_journal "$dir")"
done
HR_TOOL_WINPATH=
echo "PASS"
