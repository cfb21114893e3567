#!/usr/bin/env bash
# Makes dist/ (or --out DIR): the shipped i686 tool, its SHA-256 sum, and
# RELEASE.txt, which says what the release is and how to check it.
#
#   scripts/release.sh [--cert FILE --key FILE [--pass PASSWORD]] [--timestamp URL]
#                      [--build DIR] [--out DIR]
#
# Certificate and key (PEM; also HR_SIGN_CERT, HR_SIGN_KEY, HR_SIGN_PASS,
# HR_SIGN_TIMESTAMP) sign the exe with osslsigncode: SHA-256, the commit's
# time as signing time, so that signing the same build twice gives the same
# bytes, and an RFC 3161 time stamp when a server is given. The signed file is
# verified, and removing its signature must give back the unsigned bytes, so
# anyone can still compare it with a rebuild. Without a certificate the exe
# ships unsigned and the text says so.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cert="${HR_SIGN_CERT:-}" key="${HR_SIGN_KEY:-}" pass="${HR_SIGN_PASS:-}" tsa="${HR_SIGN_TIMESTAMP:-}"
build="${HR_BUILD_ROOT:-$root/build}/win32" out="$root/dist"
while [ $# -gt 0 ]; do
  case "$1" in
    --cert) cert="$2"; shift 2 ;;
    --key) key="$2"; shift 2 ;;
    --pass) pass="$2"; shift 2 ;;
    --timestamp) tsa="$2"; shift 2 ;;
    --build) build="$2"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    *) echo "release: unknown argument $1" >&2; exit 2 ;;
  esac
done
if { [ -n "$cert" ] && [ -z "$key" ]; } || { [ -z "$cert" ] && [ -n "$key" ]; }; then
  echo "release: a certificate needs its key and a key its certificate" >&2; exit 2
fi

name=RemedoTessaroModernHubrelayServiceUninstalled
exe="$build/src/app/$name.exe"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686.cmake" >/dev/null
fi
cmake --build "$build" --target "$name" -j "${HR_JOBS:-$(nproc)}" >/dev/null
"$root/scripts/pe-check.py" --arch i686 "$exe" >/dev/null || {
  "$root/scripts/pe-check.py" --arch i686 "$exe"; echo "release: the exe fails its artefact check" >&2; exit 1; }

commit="$(git -C "$root" rev-parse HEAD)"
changed=""
[ -z "$(git -C "$root" status --porcelain --untracked-files=no)" ] || changed=" plus uncommitted changes (not a release build)"
epoch="$(git -C "$root" log -1 --format=%ct)"

rm -rf "$out"; mkdir -p "$out"
unsigned_sum="$(sha256sum "$exe" | cut -d' ' -f1)"
unsigned_size="$(stat -c %s "$exe")"
if [ -n "$cert" ]; then
  args=(-certs "$cert" -key "$key" -h sha256 -n "Tessaro Veride Hubrelay 服务卸载工具" -time "$epoch")
  [ -z "$pass" ] || args+=(-pass "$pass")
  [ -z "$tsa" ] || args+=(-ts "$tsa")
  osslsigncode sign "${args[@]}" -in "$exe" -out "$out/$name.exe" >/dev/null
  osslsigncode verify -CAfile "$cert" -in "$out/$name.exe" >"$out/.verify" 2>&1 || {
    cat "$out/.verify"; echo "release: the signed exe does not verify" >&2; exit 1; }
  rm -f "$out/.verify"
  osslsigncode remove-signature -in "$out/$name.exe" -out "$out/.unsigned" >/dev/null
  cmp -s "$out/.unsigned" "$exe" || { echo "release: removing the signature does not give back the built bytes" >&2; exit 1; }
  rm -f "$out/.unsigned"
  subject="$(openssl x509 -in "$cert" -noout -subject -nameopt utf8 | sed 's/^subject= *//')"
  signed="signed (Authenticode, SHA-256) by: $subject
  signing time: $(date -u -d "@$epoch" '+%Y-%m-%d %H:%M:%S') UTC (the commit's time)${tsa:+
  time stamp from: $tsa}"
else
  cp "$exe" "$out/$name.exe"
  signed="unsigned: no code-signing certificate was given"
fi
(cd "$out" && sha256sum "$name.exe" > SHA256SUMS)

cat > "$out/RELEASE.txt" <<TEXT
Tessaro Veride Hubrelay 服务卸载工具 $name.exe, version 1.2.24.1010

Removes the Windows service HubrelayService. A 32-bit program that always
runs elevated (Windows 7, 10 and 11, 32 and 64 bit).

Built from commit $commit$changed
with mingw-w64 (i686, static), reproducibly: the same commit gives the same
bytes wherever and by whomever it is built.

$name.exe
  $(stat -c %s "$out/$name.exe") bytes, SHA-256 $(cut -d' ' -f1 "$out/SHA256SUMS")
  $signed
  without a signature: $unsigned_size bytes, SHA-256 $unsigned_sum

How to check it
1. The download is this file: sha256sum -c SHA256SUMS
2. It is what the commit builds: on Debian 12 with scripts/setup.sh's packages,
     git clone <repository> hubrelay && cd hubrelay && git checkout $commit
     HR_JOBS=2 ./scripts/build.sh   (or just the tool: see scripts/release.sh)
     sha256sum build/win32/src/app/$name.exe
   gives the SHA-256 "without a signature" above. A signed exe: first remove
   its signature, which gives back the built bytes exactly:
     osslsigncode remove-signature -in $name.exe -out unsigned.exe
     sha256sum unsigned.exe
3. The signature, if any: osslsigncode verify -in $name.exe (with -CAfile for
   the signer's chain), or the file's properties on Windows.
TEXT
echo "release: $out, ${signed%%$'\n'*}"
