#!/usr/bin/env bash
# Does this host run 32-bit x86 user code? The shipped tool is a 32-bit
# program, which Wine can run (as a WOW64 process) only where the kernel
# does; some kernels are built or booted with IA-32 emulation off, and Wine's
# 32-bit loader then fails with "Exec format error".
#
# Asks the kernel itself: a 96-byte static i386 ELF program that only makes
# the exit system call with 42. Prints "yes", or "no: <why>", and exits 0 or 1.
# HR_IA32_PROBE=fail makes it answer no, to test what depends on the answer.
set -uo pipefail
if [ "${HR_IA32_PROBE:-}" = fail ]; then
  echo "no: the probe was told to fail (HR_IA32_PROBE=fail)"
  exit 1
fi
probe="$(mktemp "${TMPDIR:-/tmp}/ia32-probe.XXXXXX")"
trap 'rm -f "$probe"' EXIT
# ELF header, one loadable segment at 0x08048000, then
#   mov eax, 1 ; mov ebx, 42 ; int 0x80
printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' > "$probe"
chmod +x "$probe"
err="$("$probe" 2>&1)"
rc=$?
if [ "$rc" -eq 42 ]; then
  echo yes
  exit 0
fi
echo "no: a 32-bit x86 program did not run (exit code $rc${err:+: ${err##*: }})"
exit 1
