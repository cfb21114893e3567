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
  [ -z "${squat_pid:-}" ] || kill "$squat_pid" 2>/dev/null || true
  rm -rf "${certs:-}"
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
  # (A run started while another runs leaves that run's settings alone.)
  [ -n "${HR_KEEP_STANDINS:-}" ] || hr_standins_sync
  # Wine records no event, but traces each ReportEventW: its type and id
  # (advapi's fixme) and its text (eventlog).
  WINEDEBUG=-all,fixme+advapi,+eventlog hr_wine "$launcher" "$@" --stdout "$(hr_winpath "$dir/stdout.txt")" -- \
    "\"$(hr_winpath "$dir/$HR_TOOL_NAME")\" $args" 2>"$dir/wine.err" | tr -d '\r'
  [ -n "${HR_KEEP_STANDINS:-}" ] || hr_standins_clear
}

# The event a run sent, from Wine's trace of its last ReportEventW: "<type>
# <id>" (type 1 error, 2 warning, 4 information), and its text.
event_of() {  # dir
  grep -a 'advapi:ReportEventW (' "$1/wine.err" | tail -n 1 |
    sed -E 's/.*ReportEventW \([^,]*,0x0*([0-9a-f]+),0x[0-9a-f]+,0x([0-9a-f]+),.*/\1 \2/' |
    { read -r type id && echo "$type $((16#$id))"; }
}
event_text() { grep -a ':eventlog:ReportEventW' "$1/wine.err" | tail -n 1; }
declare -A event_id=([removed]=1000 [removed-after-restart]=1001 [not-present]=1002 [failed]=1003 [busy]=1004
  [unsupported-os]=1005 [companion-missing]=1006 [companion-failed]=1007 [companion-untrusted]=1008
  [bad-command-line]=1009 [log-failed]=1010 [check]=1011)
declare -A event_type=([removed]=4 [not-present]=4 [check]=4 [removed-after-restart]=2 [busy]=2)
check_event() {  # name dir word answer-line
  local expected="${event_type[$3]:-1} ${event_id[$3]}" got
  got="$(event_of "$2")"
  [ "$got" = "$expected" ] || hr_fail "$1: event '$got', expected '$expected' for $3: $(grep -a ReportEventW "$2/wine.err")"
  event_text "$2" | grep -qF "L\"$4\\r\\n" || hr_fail "$1: the event's text does not begin with $4: $(event_text "$2")"
}

folders=()
# name | service | folder | environment | hidden station | set-up | arguments
# (LOG: a run log in folders yet to be made) | exit code | word | service
# afterwards | tool log record | what the run log must say
#
# Set-ups: signed:<library> the tool signed with certificate A, its library
# unsigned (none), signed with B (other), signed with A and then one byte
# changed (tampered), or signed with A (same); squat:<kind> a program holds
# the lock's name first (testenv's squat.exe); loglink:<folder|file> the
# log's folder, or the log itself, a link to a file of the same name
# somewhere else, which must stay as it was; relative the
# log named relative to the current folder; userenv the caller's
# environment holds a .NET profiler and a variable of its own.
cases="
present     | running  | std   |                          | 0 | -               | /quiet /log LOG              | 0    | removed               | gone    |                    | not verified: the tool is unsigned
forms       | running  | std   |                          | 0 | -               | -QUIET --Log=LOG /NoRestart  | 0    | removed               | gone    |                    |
absent      | none     | std   |                          | 0 | -               | /S /log:LOG                  | 0    | not-present           | gone    | 系统中未找到指定的服务 |
settling    | settling | std   |                          | 0 | -               | --verysilent /log LOG        | 0    | removed               | gone    |                    |
marked      | marked   | std   |                          | 0 | -               | /q /log=LOG                  | 3010 | removed-after-restart | listed  |                    |
english     | slow     | std   | STANDIN_SC_LANG=en       | 0 | -               | /qn /log LOG                 | 3010 | removed-after-restart | listed  |                    |
denied      | running  | std   | STANDIN_SC_EXIT=delete:5 | 0 | -               | /silent /log LOG             | 1603 | failed                | listed  | 卸载服务失败       |
unknown     | running  | std   |                          | 0 | -               | /quiet /bogus /log LOG       | 87   | bad-command-line      | running |                    |
nologfile   | running  | std   |                          | 0 | -               | /quiet /log                  | 87   | bad-command-line      | running |                    |
unsupported | running  | win8  |                          | 0 | -               | /quiet /log LOG              | 1150 | unsupported-os        | running | 此工具不支持当前系统 |
nolibrary   | running  | nolib |                          | 0 | -               | /quiet /log LOG              | 126  | companion-missing     | running | 加载反馈DLL失败    |
initfails   | running  | init0 |                          | 0 | -               | /quiet /log LOG              | 1114 | companion-failed      | running | 初始化反馈DLL失败  |
unsigned    | running  | std   |                          | 0 | signed:none     | /quiet /log LOG              | 577  | companion-untrusted   | running | 加载反馈DLL失败    | refused: no signature
othersigner | running  | std   |                          | 0 | signed:other    | /quiet /log LOG              | 577  | companion-untrusted   | running | 加载反馈DLL失败    | refused: signed by another certificate
tampered    | running  | std   |                          | 0 | signed:tampered | /quiet /log LOG              | 577  | companion-untrusted   | running | 加载反馈DLL失败    | refused: signature does not hold
samesigner  | running  | std   |                          | 0 | signed:same     | /quiet /log LOG              | 0    | removed               | gone    |                    | signed by the tool's signer
squatmutex  | running  | std   |                          | 0 | squat:mutex     | /quiet /log LOG              | 0    | removed               | gone    | 运行锁不可用       | (owner not Administrators); going on without it
squatlocked | running  | std   |                          | 0 | squat:locked    | /quiet /log LOG              | 0    | removed               | gone    | 运行锁不可用       | did not make (error 5); going on without it
squatevent  | running  | std   |                          | 0 | squat:event     | /quiet /log LOG              | 0    | removed               | gone    | 运行锁不可用       | did not make (error 6); going on without it
linkfolder  | running  | std   |                          | 0 | loglink:folder  | /quiet /log LOG              | 1622 | log-failed            | running |                    |
linkfile    | running  | std   |                          | 0 | loglink:file    | /quiet /log LOG              | 1622 | log-failed            | running |                    |
relative    | none     | std   |                          | 0 | relative        | /quiet /log REL              | 0    | not-present           | gone    |                    | log: C:\hr-tool-tests\quiet relative\rel\run.log
userenv     | running  | std   | COR_ENABLE_PROFILING=1 COR_PROFILER={0F0F0F0F-0000-0000-0000-00000000C0DE} COR_PROFILER_PATH=C:\hr-tool-tests\profiler.dll HR_USER_ADDED=1 STANDIN_ENV_RECORD=C:\hr-tool-tests\env.txt | 0 | userenv | /quiet /log LOG | 0 | removed | gone | |
hidden      | running  | std   |                          | 1 | -               |                              | 0    | removed               | gone    |                    |
hiddenlog   | none     | std   |                          | 1 | -               | /log LOG                     | 0    | not-present           | gone    |                    |
hiddenhelp  | running  | std   |                          | 1 | -               | /?                           | 0    | usage                 | running |                    |
"
# Two certificates, A and B, made on the spot; the tool and its library
# signed as the release signs (Authenticode, SHA-256).
certs="$(mktemp -d)"
for c in a b; do
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Hubrelay test signer $c" \
    -keyout "$certs/$c.key" -out "$certs/$c.pem" >/dev/null 2>&1 || hr_fail "openssl cannot make a certificate"
done
sign() {  # cert file
  osslsigncode sign -certs "$certs/$1.pem" -key "$certs/$1.key" -h sha256 -in "$2" -out "$2.signed" >/dev/null ||
    hr_fail "osslsigncode cannot sign $2"
  mv -f "$2.signed" "$2"
}
# One byte of the DOS stub's text, which the signature's digest covers.
tamper() {  # file
  printf 'X' | dd of="$1" bs=1 seek=80 conv=notrunc status=none
}
squat_pid=
while IFS='|' read -r name service folder environment hidden setup args code word after record evidence; do
  name=$(echo $name)
  [ -n "$name" ] || continue
  # HR_QUIET_ONLY=<regex> runs only the cases it names (by hand).
  [[ -z "${HR_QUIET_ONLY:-}" || "$name" =~ ^(${HR_QUIET_ONLY})$ ]] || continue
  service=$(echo $service) folder=$(echo $folder) environment=$(echo $environment) hidden=$(echo $hidden)
  setup=$(echo $setup) args=$(echo $args) code=$(echo $code) word=$(echo $word) after=$(echo $after)
  record=$(echo $record) evidence=$(echo $evidence)
  hr_note "$name: $args"
  service_setup "$service"
  dir=$(hr_new_folder "quiet $name")
  folders+=("$dir")
  case "$folder" in
    nolib) cp "$HR_TOOL_EXE" "$dir/" ;;
    init0) hr_prepare_folder "$dir" InitResult=0 ;;
    *) hr_prepare_folder "$dir" LoadMarker=loaded.marker ;;
  esac
  [ "$folder" = win8 ] && { hr_winecfg_version win8 || hr_fail "$name: winecfg cannot set win8"; }
  log="$dir/logs/new folder/run.log"
  uses_log=0
  [[ "$args" == *LOG* || "$args" == *REL* ]] && uses_log=1
  args=${args//LOG/\"$(hr_winpath "$log")\"}
  cwd="$PWD"
  case "$setup" in
    signed:*)
      sign a "$dir/$HR_TOOL_NAME"
      case "${setup#signed:}" in
        other) sign b "$dir/$HR_LIBRARY_NAME" ;;
        tampered) sign a "$dir/$HR_LIBRARY_NAME"; tamper "$dir/$HR_LIBRARY_NAME" ;;
        same) sign a "$dir/$HR_LIBRARY_NAME" ;;
      esac ;;
    squat:*)
      rm -f "$dir/squat.ready"
      # The loader itself in the background (not a shell function's subshell),
      # so that its process is the one ended; its output never holds ctest's.
      "$HR_WINE64" "$HR_TESTENV_BIN/squat.exe" "${setup#squat:}" "$(hr_winpath "$dir")\\squat.ready" 60 \
        </dev/null >/dev/null 2>&1 &
      squat_pid=$!
      for _ in $(seq 100); do [ -f "$dir/squat.ready" ] && break; sleep 0.1; done
      [ -f "$dir/squat.ready" ] || hr_fail "$name: the squatter did not take the name" ;;
    loglink:folder)
      # The folder an ordinary user made first and turned into a link.
      mkdir -p "$dir/elsewhere/new folder"
      echo precious > "$dir/elsewhere/new folder/run.log"
      ln -s "$dir/elsewhere" "$dir/logs" ;;
    loglink:file)
      mkdir -p "$dir/logs/new folder"
      echo precious > "$dir/precious.txt"
      ln -s "$dir/precious.txt" "$log" ;;
    relative)
      log="$dir/rel/run.log"
      mkdir -p "$dir/rel"
      args=${args//REL/rel\\run.log}
      cwd="$dir" ;;
    userenv) rm -f "$WINEPREFIX/drive_c/hr-tool-tests/env.txt" ;;
  esac
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
    # Given the same run log as the first (two engines on one machine): the
    # log stays the first run's.
    [ "$(HR_KEEP_STANDINS=1 launch "$second" "/quiet /log \"$(hr_winpath "$log")\"")" = exit=1618 ] ||
      hr_fail "busy: a second run did not end with 1618"
    [ "$(tr -d '\r' < "$second/stdout.txt")" = "RESULT=1618 busy" ] || hr_fail "busy: $(cat "$second/stdout.txt")"
    hr_note "busy: exit=1618 with the first run's /log, standard output: RESULT=1618 busy"
    check_event busy "$second" busy "RESULT=1618 busy"
    [ -z "$(hr_journal "$second")" ] || hr_fail "busy: the second run asked the library: $(hr_journal "$second")"
    wait "$first_pid" || true
    launched=$(cat "$first")
    rm -f "$first"
  else
    launched=$( cd "$cwd"; [ -z "$environment" ] || export $environment; launch "$dir" "$args" "${options[@]}" )
  fi
  if [ -n "$squat_pid" ]; then
    kill "$squat_pid" 2>/dev/null || true
    wait "$squat_pid" 2>/dev/null || true
    squat_pid=
  fi
  [ "$folder" = win8 ] && hr_winecfg_version "$version_saved"

  [ "$launched" = "exit=$code" ] || hr_fail "$name: expected exit=$code, got '$launched'"
  out=$(tr -d '\r' < "$dir/stdout.txt")
  hr_note "$name: $launched, standard output: $(head -n 1 <<<"$out")"
  if [ "$word" = usage ]; then
    grep -q '^Usage: ' <<<"$out" || hr_fail "$name: no usage on standard output: $out"
  else
    if [ "$code" = 1622 ]; then
      # No log to say why: standard output does, before the result.
      grep -q '^log: cannot write .* safely, error [0-9]*$' <<<"$out" || hr_fail "$name: standard output does not say why: $out"
      [ "$(tail -n 1 <<<"$out")" = "RESULT=$code $word" ] || hr_fail "$name: standard output: $out"
    else
      [ "$out" = "RESULT=$code $word" ] || hr_fail "$name: standard output: $out"
    fi
    # Nothing written through a link, and refused before anything runs.
    case "$setup" in
      loglink:folder) target="$dir/elsewhere/new folder/run.log" ;;
      loglink:file) target="$dir/precious.txt" ;;
      *) target= ;;
    esac
    [ -z "$target" ] || [ "$(cat "$target")" = precious ] || hr_fail "$name: the link's target was written: $(cat "$target")"
    # (A refused log has no lines to read.)
    if [ "$uses_log" = 1 ] && [ "$code" != 1622 ]; then
      [ -f "$log" ] || hr_fail "$name: no run log"
      text=$(tr -d '\r' < "$log")
      [ "$(tail -n 1 <<<"$text")" = "RESULT=$code $word" ] || hr_fail "$name: run log: $text"
      grep -qx 'mode: quiet' <<<"$text" || hr_fail "$name: run log without its mode: $text"
      grep -q '^Tessaro Veride Hubrelay uninstall tool 1\.2\.24\.1010$' <<<"$text" || hr_fail "$name: no version: $text"
      if [ "$hidden" = 1 ]; then
        grep -qx 'no interactive desktop: quiet' <<<"$text" || hr_fail "$name: the run log does not say why it was quiet"
      fi
      case "$code" in 0 | 3010 | 1603) grep -q '^delete: \|^query: ' <<<"$text" || hr_fail "$name: no step lines: $text" ;; esac
      [ -z "$evidence" ] || grep -qF -- "$evidence" <<<"$text" || hr_fail "$name: the run log does not say '$evidence': $text"
      [ "$(sed -n 2p <<<"$text")" = "log: $(hr_winpath "$log")" ] || hr_fail "$name: the run log does not name itself: $text"
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
  [ "$word" = usage ] || check_event "$name" "$dir" "$word" "RESULT=$code $word"
  journal=$(hr_journal "$dir" || true)
  case "$setup" in
    # Never loaded: its code never ran.
    signed:none | signed:other | signed:tampered)
      [ ! -e "$dir/loaded.marker" ] || hr_fail "$name: the refused library was loaded" ;;
    signed:same) [ -e "$dir/loaded.marker" ] || hr_fail "$name: the genuine library was not loaded" ;;
    userenv)
      recorded="$WINEPREFIX/drive_c/hr-tool-tests/env.txt"
      [ -f "$recorded" ] || hr_fail "$name: the stand-in PowerShell recorded nothing"
      ! grep -q '^COR_\|^HR_USER_ADDED=' "$recorded" || hr_fail "$name: the caller's variables reached PowerShell: $(grep '^COR_\|^HR_' "$recorded")"
      grep -qi '^SystemRoot=C:\\windows' "$recorded" || hr_fail "$name: PowerShell got no SystemRoot: $(cat "$recorded")"
      hr_note "$name: PowerShell got $(wc -l < "$recorded") variables, none of COR_*, HR_USER_ADDED" ;;
  esac
  case "$code/$word" in
    87/* | 1150/* | 126/* | 577/* | 1622/* | 0/usage) [ -z "$journal" ] || hr_fail "$name: the library was asked: $journal" ;;
    *) [ "$(cut -f1 <<<"$journal" | sort -u)" = InitFreedbackDll ] || hr_fail "$name: journal: $journal" ;;
  esac
done <<<"$cases"

# /check: one line and the exit code, nothing changed, no lock, no library,
# no window. A service deleted while still stopping is listed until the
# restart and counts as removed.
for row in "present running - 1 present" "absent none - 0 absent" "marked marked - 0 removed-after-restart" \
           "noquery running STANDIN_FAULT=powershell:notinstalled 1603 unknown"; do
  read -r name service environment code word <<<"$row"
  hr_note "check $name"
  service_setup "$service"
  before_state="$(state)"
  dir=$(hr_new_folder "check $name")
  folders+=("$dir")
  hr_prepare_folder "$dir" LoadMarker=loaded.marker
  log="$dir/logs/run.log"
  before=$(maps)
  launched=$( [ "$environment" = - ] || export $environment; launch "$dir" "/check /log \"$(hr_winpath "$log")\"" )
  [ "$launched" = "exit=$code" ] || hr_fail "check $name: expected exit=$code, got '$launched'"
  out=$(tr -d '\r' < "$dir/stdout.txt")
  [ "$out" = "CHECK=$code $word" ] || hr_fail "check $name: standard output: $out"
  text=$(tr -d '\r' < "$log")
  [ "$(tail -n 1 <<<"$text")" = "CHECK=$code $word" ] || hr_fail "check $name: run log: $text"
  grep -qx 'mode: check' <<<"$text" || hr_fail "check $name: run log without its mode: $text"
  grep -q '^query: ' <<<"$text" || hr_fail "check $name: no query line: $text"
  [ "$(state)" = "$before_state" ] || hr_fail "check $name: the service changed: $before_state -> $(state)"
  [ "$(maps)" = "$before" ] || hr_fail "check $name: a window was mapped"
  [ ! -e "$dir/loaded.marker" ] && [ -z "$(hr_journal "$dir")" ] || hr_fail "check $name: the library was loaded"
  check_event "check $name" "$dir" check "CHECK=$code $word"
  hr_note "check $name: $launched, $out"
done

# A run ended from outside after its delete (an engine's time limit, a
# restart): its run log already holds the query and the delete with its
# exit code, written as each ended.
service_setup slow
dir=$(hr_new_folder "quiet killed")
folders+=("$dir")
hr_prepare_folder "$dir"
log="$dir/logs/run.log"
launch "$dir" "/quiet /log \"$(hr_winpath "$log")\"" > /dev/null &
killed_pid=$!
for _ in $(seq 300); do grep -qa '^delete: sc exit 0' "$log" 2>/dev/null && break; sleep 0.1; done
grep -qa '^delete: sc exit 0' "$log" 2>/dev/null || hr_fail "killed: no delete line while the run waits: $(cat "$log" 2>&1)"
# (The tool's own command line begins with its path; the launcher's does not.)
pkill -KILL -f '^"?C:.hr-tool-tests.quiet killed.'"$HR_TOOL_NAME" || hr_fail "killed: the tool was not running"
wait "$killed_pid" || true
text=$(tr -d '\r' < "$log")
grep -q '^query: powershell exit 0, listed$' <<<"$text" || hr_fail "killed: no query line: $text"
grep -q '^stop: sc exit ' <<<"$text" || hr_fail "killed: no stop line: $text"
! grep -q '^RESULT=' <<<"$text" || hr_fail "killed: a result although the run was ended: $text"
hr_note "killed after its delete: the run log holds $(wc -l <<<"$text") lines, the last '$(tail -n 1 <<<"$text")'"

# A companion library whose start never returns: the watchdog (cut to 8 s
# in this build of the tool) ends the run with 1603, its line after what
# the run log held already.
service_setup running
dir=$(hr_new_folder "quiet watchdog")
folders+=("$dir")
hr_prepare_folder "$dir" InitDelayMs=600000
cp "$HR_TESTENV_BIN/tool_shortbound.exe" "$dir/$HR_TOOL_NAME"
log="$dir/logs/run.log"
started=$(date +%s)
launched=$(launch "$dir" "/quiet /log \"$(hr_winpath "$log")\"")
took=$(( $(date +%s) - started ))
[ "$launched" = exit=1603 ] || hr_fail "watchdog: expected exit=1603, got '$launched'"
[ "$took" -lt 60 ] || hr_fail "watchdog: the run took $took s"
text=$(tr -d '\r' < "$log")
[ "$(sed -n 2p <<<"$text")" = "log: $(hr_winpath "$log")" ] || hr_fail "watchdog: the run log lost its start: $text"
[ "$(tail -n 2 <<<"$text" | head -n 1)" = "watchdog: the run did not end within 8 s, its command was ended" ] ||
  hr_fail "watchdog: no watchdog line before the result: $text"
[ "$(tail -n 1 <<<"$text")" = "RESULT=1603 failed" ] || hr_fail "watchdog: run log: $text"
[ "$(tr -d '\r' < "$dir/stdout.txt")" = "RESULT=1603 failed" ] || hr_fail "watchdog: standard output: $(cat "$dir/stdout.txt")"
[ "$(state)" = RUNNING ] || hr_fail "watchdog: the service was touched"
check_event watchdog "$dir" failed "RESULT=1603 failed"
hr_note "watchdog: $launched after $took s, the run log ends with its line and the result"

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
