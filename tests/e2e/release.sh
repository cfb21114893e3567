#!/usr/bin/env bash
# The release script with and without a signature. A throwaway self-signed
# code-signing certificate, made here: the signed exe verifies, signing twice
# gives the same bytes (fixed signing time), and removing the signature gives
# back the shipped build exactly (the bytes the reproducibility test rebuilds).
set -euo pipefail
src="${HR_SOURCE_DIR:?}" build="${HR_WIN32_BUILD_DIR:?}"
name=RemedoTessaroModernHubrelayServiceUninstalled
tmp="$(mktemp -d /tmp/hr-release.XXXXXX)"
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$src/scripts/release.sh" --build "$build" --out "$tmp/plain"
cmp -s "$tmp/plain/$name.exe" "$build/src/app/$name.exe" || fail "the unsigned release is not the build"
(cd "$tmp/plain" && sha256sum -c --quiet SHA256SUMS) || fail "SHA256SUMS does not match"
grep -q '^  unsigned' "$tmp/plain/RELEASE.txt" || fail "RELEASE.txt does not say the exe is unsigned"

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Hubrelay test signer" \
  -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
  -keyout "$tmp/key.pem" -out "$tmp/cert.pem" 2>/dev/null
for out in signed signed-again; do
  HR_SIGN_CERT="$tmp/cert.pem" HR_SIGN_KEY="$tmp/key.pem" "$src/scripts/release.sh" --build "$build" --out "$tmp/$out"
done
exe="$tmp/signed/$name.exe"
osslsigncode verify -CAfile "$tmp/cert.pem" -in "$exe" >"$tmp/verify" 2>&1 || { cat "$tmp/verify"; fail "the signed exe does not verify"; }
cmp -s "$exe" "$tmp/signed-again/$name.exe" || fail "two signatures of the same build differ"
(cd "$tmp/signed" && sha256sum -c --quiet SHA256SUMS) || fail "SHA256SUMS does not match the signed exe"
grep -q 'signed (Authenticode, SHA-256) by: CN *= *Hubrelay test signer' "$tmp/signed/RELEASE.txt" || fail "RELEASE.txt does not name the signer"
osslsigncode remove-signature -in "$exe" -out "$tmp/unsigned.exe" >/dev/null
cmp -s "$tmp/unsigned.exe" "$build/src/app/$name.exe" || fail "removing the signature does not give back the build"
grep -q "without a signature: .*$(sha256sum "$build/src/app/$name.exe" | cut -d' ' -f1)" "$tmp/signed/RELEASE.txt" \
  || fail "RELEASE.txt does not give the unsigned hash to compare a rebuild with"
echo "PASS: signed release verifies and gives back the reproducible bytes"
