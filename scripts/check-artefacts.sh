#!/usr/bin/env bash
# Checks the shipped i686 artefacts: PE32 (not PE32+), GUI subsystem, at
# most 1 MiB (a download), the hardening properties (scripts/pe-check.py),
# and prints the DLLs each one imports. The tool runs elevated, often from a
# folder anyone can drop files into: it may import only DLLs that Windows
# always takes from the system folder (KnownDLLs); everything else is loaded
# at run time from the system folder.
#
# With a display and a Wine prefix (as ctest gives it), the shipped tool is
# then started once the way a user starts it, as a WOW64 process of the
# 64-bit prefix, and must show its main window: a shipped build that does
# not start never passes.
set -euo pipefail
dir="${1:?build/win32 directory}"
. "$(dirname "$0")/ia32-lib.sh"
objdump=i686-w64-mingw32-objdump
status=0
known_dlls="kernel32 user32 gdi32 advapi32 shell32 ole32 oleaut32 shlwapi comdlg32 imm32 msvcrt"
check() {  # file, expected subsystem
  local f="$1" want="$2"
  local hdr; hdr="$($objdump -p "$f")"
  local magic; magic="$(awk '/^Magic/ {print $2}' <<<"$hdr")"
  local subsys; subsys="$(awk '/^Subsystem/ {print $2}' <<<"$hdr")"
  echo "$(basename "$f"): magic $magic, subsystem $subsys"
  [ "$magic" = "010b" ] || { echo "  FAIL: not PE32"; status=1; }
  [ "$subsys" = "$want" ] || { echo "  FAIL: subsystem $subsys, expected $want"; status=1; }
  echo "  imports:"
  awk '/DLL Name:/ {print "    " $3}' <<<"$hdr" | sort -u
  if grep -q 'DLL Name: \(libgcc\|libstdc\|libwinpthread\)' <<<"$hdr"; then
    echo "  FAIL: imports a runtime DLL"; status=1
  fi
  local dll base
  for dll in $(awk '/DLL Name:/ {print $3}' <<<"$hdr" | sort -u); do
    base="$(tr '[:upper:]' '[:lower:]' <<<"${dll%.*}")"
    if [[ " $known_dlls " != *" $base "* ]]; then
      echo "  FAIL: imports $dll, which is not always loaded from the system folder"; status=1
    fi
  done
}
tool="$dir/src/app/RemedoTessaroModernHubrelayServiceUninstalled.exe"
check "$tool" 00000002
max_bytes=1048576
bytes="$(stat -c %s "$tool")"
echo "$(basename "$tool"): $bytes bytes (at most $max_bytes)"
[ "$bytes" -le "$max_bytes" ] || { echo "  FAIL: larger than 1 MiB"; status=1; }
# Hardening, reproducibility, manifest and version information of the file.
"$(dirname "$0")/pe-check.py" --arch i686 --max-bytes "$max_bytes" "$tool" || status=1

ia32="${HR_IA32:-$("$(dirname "$0")/ia32-probe.sh")}"
if [ "$ia32" != yes ]; then
  echo "$HR_IA32_SKIPPED"
  echo "  (${ia32#no: }): the start under WOW64 is not tried"
elif [ -n "${DISPLAY:-}" ] && [ -n "${WINEPREFIX:-}" ]; then
  export HR_WIN_BUILD_DIR="$dir"
  . "$(cd "$(dirname "$0")/.." && pwd)/tests/wine/tool/tool-driver.sh"
  hr_driver_init
  folder="$(hr_new_folder artefact-start)"
  hr_prepare_folder "$folder"
  hr_start_tool "$folder"
  if main=$(hr_wait_window $HR_MAIN_W $HR_MAIN_H 60); then
    echo "started under WOW64: main window $main ($(hr_window_title "$main"))"
  else
    echo "  FAIL: the shipped tool shows no main window under WOW64"; status=1
  fi
  hr_stop_tool
  rm -rf "$folder"
else
  echo "no display or Wine prefix: the start under WOW64 is not tried"
fi
exit $status
