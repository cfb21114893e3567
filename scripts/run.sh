#!/usr/bin/env bash
# The one run command: installs what is missing, builds, prepares a demo Wine
# prefix (build/demoprefix) with a real HubrelayService running in Wine's
# service manager, puts a fresh copy of the tool with the stand-in companion
# library in a folder of the prefix's public Downloads, and starts it.
#
#   With a display (DISPLAY set and reachable) you work the tool by hand.
#   Without one it starts Xvfb, walks through one run by itself (fix page,
#   progress prompt, outcome prompt, feedback question, exit) and saves a
#   screenshot of every step in build/demo-screenshots.
#
#   Either way it ends with a quiet run, as a deployment engine starts the
#   tool on many machines: the service registered again, "/quiet /log
#   <file>", no window, and the run's RESULT= line and exit code printed.
#
# It runs the shipped tool, the 32-bit build in build/win32 that users
# download, in a 64-bit prefix: a WOW64 process, as on 64-bit Windows (on a
# host whose kernel runs no 32-bit code, its x86_64 twin, and it says so).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${HR_BUILD_ROOT:-$root/build}"

"$root/scripts/setup.sh"
"$root/scripts/build.sh"
prefix="$build/demoprefix"
"$root/scripts/make-prefix.sh" "$prefix"

. "$root/scripts/ia32-lib.sh"
# Where the kernel runs no 32-bit code, Wine cannot start the shipped build
# at all: the x86_64 twin of the same sources shows the tool instead.
tool_build="$build/win32"
what="the shipped 32-bit build, a WOW64 process in the 64-bit prefix"
if ! ia32="$("$root/scripts/ia32-probe.sh")"; then
  echo "run: $HR_IA32_RUN_TWIN (${ia32#no: })"
  tool_build="$build/win64"
  what="the x86_64 twin: this host cannot run the shipped 32-bit build"
fi
bin="$tool_build/testenv/bin"
exe_name=RemedoTessaroModernHubrelayServiceUninstalled.exe
tool="$tool_build/src/app/$exe_name"
[ -f "$tool" ] || { echo "run: the tool was not built ($tool)" >&2; exit 1; }
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
. "$root/scripts/wine-env.sh"

# The display decides the mode; it must be known before the first Wine
# program of this session starts, because the prefix's desktop keeps it.
own_xvfb=""
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  mode=interactive
else
  mode=walkthrough
  display_file="$(mktemp)"
  Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp > "$display_file" 2>/dev/null &
  own_xvfb=$!
  for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -n 1 "$display_file")"
  rm -f "$display_file"
  xdpyinfo >/dev/null 2>&1 || { echo "run: cannot start Xvfb" >&2; exit 1; }
fi
cleanup() {
  hr_wineserver -k >/dev/null 2>&1 || true
  if [ -n "$own_xvfb" ]; then kill "$own_xvfb" 2>/dev/null || true; fi
}
trap cleanup EXIT

# On a desktop with a window manager the tool's windows are left to it, as
# on any Windows desktop; the virtual screen has none, and Wine then places
# and stacks the windows itself (the test prefix's setting).
managed=N
[ "$mode" = interactive ] && managed=Y
hr_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d "$managed" /f >/dev/null 2>&1

# The vendor's service: testenv's idle service program, installed where a
# vendor would put it, registered and running in Wine's service manager.
sc_() { hr_sc "$@"; }
service_dir="$prefix/drive_c/Program Files/Tessaro/Hubrelay"
mkdir -p "$service_dir"
cp -f "$build/win64/testenv/bin/hubrelay-service.exe" "$service_dir/HubrelayService.exe"
register_service() {
  sc_ stop HubrelayService >/dev/null
  sc_ delete HubrelayService >/dev/null
  sc_ create HubrelayService binPath= '"C:\Program Files\Tessaro\Hubrelay\HubrelayService.exe"' \
      DisplayName= "Tessaro Veride Hubrelay" | grep -q 成功 ||
    { echo "run: cannot register HubrelayService" >&2; exit 1; }
  sc_ start HubrelayService >/dev/null
  local state=""
  for _ in $(seq 50); do
    state=$(sc_ query HubrelayService | awk '/STATE/ {print $4}')
    [ "$state" = RUNNING ] && break
    sleep 0.1
  done
  echo "run: HubrelayService registered in the demo prefix, state ${state:-unknown}"
}
register_service

# A fresh folder every time: the tool removes its own files when it closes.
demo_win='C:\users\Public\Downloads\Hubrelay 工具'
demo="$prefix/drive_c/users/Public/Downloads/Hubrelay 工具"
fresh_folder() {
  rm -rf "$demo"
  mkdir -p "$demo"
  cp "$tool" "$demo/$exe_name"
  cp "$bin/TessaroFeedbackInformation.dll" "$demo/"
  printf '[Feedback]\r\nInitResult=1\r\nNewVersionResult=0\r\nInfo3=https://tools.example.com/more\r\n' \
    > "$demo/TessaroFeedbackInformation.ini"
}
fresh_folder
rm -f "$prefix/drive_c/ProgramData/ToolLog/Tessaro Veride Hubrelay 服务卸载工具.txt"
echo "run: $demo_win\\$exe_name ($what)"

summary() {  # the tool's exit code
  echo "run: the tool ended with exit code $1"
  if sc_ query HubrelayService | grep -q SERVICE_NAME; then
    echo "run: HubrelayService is still registered"
  else
    echo "run: HubrelayService is no longer registered"
  fi
  echo "run: what the companion library was asked (its journal):"
  sed 's/^/       /' "$demo/TessaroFeedbackInformation.journal" 2>/dev/null || echo "       (nothing)"
  local log="$prefix/drive_c/ProgramData/ToolLog/Tessaro Veride Hubrelay 服务卸载工具.txt"
  if [ -f "$log" ]; then
    echo "run: the tool's log:"
    iconv -f GBK -t UTF-8 < "$log" | tr -d '\r' | sed 's/^/       /'
  fi
  # The removal of the tool's own files starts three seconds after the end.
  for _ in $(seq 100); do [ -e "$demo/$exe_name" ] || break; sleep 0.1; done
  echo "run: left in the demo folder: $(cd "$demo" && ls | tr '\n' ' ')"
}

# The other way to use the tool: what Intune, Configuration Manager or a
# startup script run on every machine. testenv's launcher starts it as they
# do and prints its full exit code (Wine's Unix side keeps only 8 bits).
quiet_run() {
  echo
  echo "run: now a quiet run, as a deployment engine starts it:"
  register_service
  fresh_folder
  local out="$demo/stdout.txt" log_win='C:\Windows\Logs\HubrelayDeploy\run.log'
  echo "run:   \"$demo_win\\$exe_name\" /quiet /log $log_win"
  local launched
  launched=$(hr_wine "$bin/hrlaunch.exe" --stdout "$(hr_winepath -w "$out")" -- \
    "\"$demo_win\\$exe_name\" /quiet /log $log_win" | tr -d '\r')
  echo "run: the quiet run ended with exit code ${launched#exit=}; its standard output:"
  sed 's/^/       /' "$out" | tr -d '\r'
  echo "run: its run log ($log_win):"
  tr -d '\r' < "$prefix/drive_c/windows/logs/HubrelayDeploy/run.log" | sed 's/^/       /'
  if sc_ query HubrelayService | grep -q SERVICE_NAME; then
    echo "run: HubrelayService is still registered"
  else
    echo "run: HubrelayService is no longer registered"
  fi
  echo "run: left in the demo folder (a quiet run keeps its files): $(cd "$demo" && ls | tr '\n' ' ')"
}

if [ "$mode" = interactive ]; then
  echo "run: starting the tool on $DISPLAY; close it to end the demo"
  status=0
  ( cd "$demo" && exec "$HR_WINE64" "./$exe_name" ) || status=$?
  summary "$status"
  quiet_run
  exit 0
fi

# ---- the walk-through on the virtual screen ----------------------------------
shots="$build/demo-screenshots"
rm -rf "$shots"
mkdir -p "$shots"
export HR_WIN_BUILD_DIR="$tool_build"
. "$root/tests/wine/tool/tool-driver.sh"
hr_driver_init
picture() { "/usr/bin/python3" "$root/tests/e2e/shots.py" "$@"; }
# A shadowed window as it looks over a light desktop (the virtual screen has
# no compositor to blend the shadow).
save() {  # file, hwnd, parent picture
  local screen; screen="$(mktemp --suffix=.png)"
  sleep 0.5
  import -window root "$screen"
  local x y; read -r x y _ _ <<< "$(hr_geometry "$2")"
  picture composite "$screen" "$x" "$y" "$root/src/res/png/$3.png" "$shots/$1" >/dev/null
  rm -f "$screen"
  echo "run:   $shots/$1"
}
give_up() { echo "run: walk-through stopped: $*" >&2; hr_stop_tool; exit 1; }

echo "run: no display: walking through one run on the virtual screen $DISPLAY"
xdotool mousemove 3 3
hr_start_tool "$demo"
main=$(hr_wait_window 434 634 60) || give_up "no main window"
hr_wait_page_ready 20 || give_up "the fix page does not take input"
save 01-fixpage.png "$main" 144

hr_click_in "$main" $(hr_page_uninstall)
xdotool mousemove 3 3
progress=""
for _ in $(seq 40); do
  progress=$(hr_windows | awk '$4 == 348 && $5 == 236 && $7 == 1 { print $1; exit }')
  [ -n "$progress" ] && break
  sleep 0.1
done
[ -n "$progress" ] || give_up "no progress prompt"
save 02-progress.png "$progress" 151

outcome=$(hr_wait_message_prompt 60) || give_up "no outcome prompt"
save 03-outcome.png "$outcome" 165
hr_click_in "$outcome" $(hr_prompt_confirm)
xdotool mousemove 3 3
hr_wait_page_ready 20 || give_up "the outcome prompt did not close"

hr_click_in "$main" $(hr_page_close)
xdotool mousemove 3 3
feedback=$(hr_wait_feedback 20) || give_up "no feedback question"
save 04-feedback.png "$feedback" 187
hr_click_in "$feedback" $(hr_feedback_solved)

hr_wait_tool_exit 30 || give_up "the tool did not end"
sleep 0.5
import -window root "$shots/05-exit.png"
echo "run:   $shots/05-exit.png"
summary "$HR_TOOL_STATUS"
echo "run: screenshots of the walk-through are in $shots"
quiet_run
