#!/usr/bin/env bash
# The stand-in companion libraries of both architectures export exactly the
# names the tool resolves, undecorated; the variant lacks only one of them.
set -euo pipefail
all="CustomerFeedback CustomerFeedbackEx FeedbackQuestion GetInterNetState GetToolIsNewVersion GetToolIsNewVersionDown InitFreedbackDll OpenToolDownUrl OpenUrl OpenUseAgreementUrl WriteCustomerFeedbackInfoFile"
without="${all/GetToolIsNewVersionDown /}"
status=0
exports() {  # dll -> sorted export names, one line
  objdump -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    awk '/^\t\[/ {print $NF}' | sort | tr '\n' ' ' | sed 's/ $//'
}
check() {  # dll, expected names
  local got; got="$(exports "$1")"
  if [ "$got" = "$2" ]; then echo "ok: $1"; else
    echo "FAIL: $1"; echo "  expected: $2"; echo "  got:      $got"; status=1; fi
}
for tree in "$@"; do
  check "$tree/testenv/bin/TessaroFeedbackInformation.dll" "$all"
  check "$tree/testenv/bin/noversiondown/TessaroFeedbackInformation.dll" "$without"
done
exit $status
