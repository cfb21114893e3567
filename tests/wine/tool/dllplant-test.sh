#!/usr/bin/env bash
# Copies of system DLLs planted beside the tool are never loaded: each fake
# (testenv/dllplant) writes "<name>.loaded" beside itself when it is. First
# the probe shows that Wine does load such a fake from a program's folder
# when nothing stops it, and that the tool's search restriction stops it;
# then the tool runs among the fakes until its window is up and is closed.
set -euo pipefail
. "$(dirname "$0")/tool-driver.sh"
hr_driver_init
trap hr_stop_tool EXIT

# Names of system DLLs the tool, the system DLLs it loads, or Wine's own
# user interface may ask for by name. Wine 8 prefers its builtins for some
# (gdiplus, comctl32, uxtheme, version ...), but loads others (dwmapi, msctf,
# userenv ...) from the program's folder first.
planted="gdiplus comctl32 uxtheme version dwmapi riched20 riched32 msftedit msimg32 winmm
  windowscodecs dwrite oleacc msctf textinputframework userenv profapi cryptbase apphelp
  winspool hid wtsapi32 netapi32 iphlpapi dnsapi secur32 sspicli mpr urlmon wininet winhttp
  setupapi cfgmgr32 powrprof dbghelp wintrust crypt32 bcrypt"
# Not planted: Wine 8 has no KnownDLLs, so it takes shcore (a static import of
# its own shlwapi, resolved before the tool's first instruction) and propsys
# (a delay import of its windowscodecs) through the plain search; Windows
# loads both from the system folder (shcore is a KnownDLL, and delay imports
# follow SetDefaultDllDirectories).

plant() {  # dir
  local name
  for name in $planted; do cp "$HR_TESTENV_BIN/plant_marker.dll" "$1/$name.dll"; done
}
markers() { ls "$1" | grep '\.loaded$' || true; }

# The probe without the restriction: the test can see a planted load.
dir=$(hr_new_folder "plant probe")
plant "$dir"
cp "$HR_TESTENV_BIN/plant_probe.exe" "$dir/"
(cd "$dir" && hr_wine ./plant_probe.exe dwmapi.dll userenv.dll msctf.dll >/dev/null 2>&1) || true
[ -e "$dir/dwmapi.dll.loaded" ] || hr_fail "a planted dwmapi.dll was not loaded without the restriction; the check cannot see anything"
rm -f "$dir"/*.loaded
(cd "$dir" && hr_wine ./plant_probe.exe --restricted $(for n in $planted; do echo "$n.dll"; done) >/dev/null 2>&1) || true
[ -z "$(markers "$dir")" ] || hr_fail "loaded despite the restriction: $(markers "$dir")"
# Static constructors (the tool's application object, libssp's guard seeding)
# run before the entry point: the restriction must already hold there.
cp "$HR_TESTENV_BIN/plant_probe_early.exe" "$dir/"
(cd "$dir" && hr_wine ./plant_probe_early.exe dwmapi.dll userenv.dll msctf.dll >/dev/null 2>&1) || true
[ -z "$(markers "$dir")" ] || hr_fail "loaded from a static constructor before the restriction: $(markers "$dir")"

# The tool among the fakes, from start to close.
dir=$(hr_new_folder "plant tool")
hr_prepare_folder "$dir"
plant "$dir"
hr_start_tool "$dir"
main=$(hr_wait_window $HR_MAIN_W $HR_MAIN_H 30) || hr_fail "no main window"
hr_wait_page_ready || hr_fail "the fix page does not take input"
hr_click_in "$main" $(hr_page_close)
fb=$(hr_wait_feedback 15) || hr_fail "no feedback question"
hr_click_in "$fb" $(hr_feedback_solved)
hr_wait_tool_exit 20 || hr_fail "the tool did not end"
[ "$HR_TOOL_STATUS" = 0 ] || hr_fail "exit code $HR_TOOL_STATUS"
[ -z "$(markers "$dir")" ] || hr_fail "the tool loaded planted DLLs: $(markers "$dir")"
# The planted files are not the tool's: they stay, and so does the folder.
sleep 4
[ -e "$dir/dwmapi.dll" ] || hr_fail "the removal took a file that is not the tool's"
[ -e "$dir/$HR_TOOL_NAME" ] && hr_fail "the tool's executable was not removed"
echo "PASS"
