#!/usr/bin/env bash
# The set-up's apt steps against an apt that answers as a mirror in the
# middle of a sync does: an index of the wrong size on every update, and an
# install that fails on a library whose installed amd64 version the i386
# side cannot get. apt-get, apt-cache and dpkg-query are stand-ins on the
# PATH that record how they were called; nothing of the system is touched.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect() { grep -qF -- "$2" <<<"$3" || fail "$1: expected '$2' in: $3"; }
reject() { ! grep -qF -- "$2" <<<"$3" || fail "$1: did not expect '$2' in: $3"; }

cat > "$work/bin/apt-get" <<'STUB'
#!/usr/bin/env bash
echo "$*" >> "$HR_STUB_LOG"
case "$1" in
  update)
    n=$(grep -c '^update' "$HR_STUB_LOG")
    if [ "$n" -le "${HR_STUB_UPDATE_FAILS:-9}" ]; then
      echo "Get:1 http://deb.debian.org/debian-security bookworm-security InRelease"
      echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 203.0.113.80 80]"
      echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
      exit 100
    fi ;;
  install)
    case "${HR_STUB_INSTALL:-}" in
      missing) echo "E: Unable to locate package wine33"; exit 100 ;;
    esac
    if [[ " $* " == *" -t bookworm "* && " $* " == *" libssl3:amd64=3.0.20-1~deb12u2 "* ]]; then exit 0; fi
    echo " libwine:i386 : Depends: libssl3:i386 (>= 3.0.0) but it is not going to be installed"
    echo "E: Unable to correct problems, you have held broken packages."
    exit 100 ;;
esac
exit 0
STUB
cat > "$work/bin/apt-cache" <<'STUB'
#!/usr/bin/env bash
case "$1" in
  depends) printf 'wine32:i386\n  Depends: libwine:i386\nlibwine:i386\n  Depends: libssl3:i386\nlibssl3:i386\nzlib1g:i386\n<libc-dev:i386>\n' ;;
  madison)
    case "$2" in
      libssl3:i386) echo " libssl3 | 3.0.20-1~deb12u2 | http://deb.debian.org/debian bookworm/main i386 Packages" ;;
      libssl3:amd64) echo " libssl3 | 3.0.22-1~deb12u2 | http://deb.debian.org/debian-security bookworm-security/main amd64 Packages"
                     echo " libssl3 | 3.0.20-1~deb12u2 | http://deb.debian.org/debian bookworm/main amd64 Packages" ;;
      zlib1g:*) echo " zlib1g | 1:1.2.13.dfsg-1 | http://deb.debian.org/debian bookworm/main ${2#*:} Packages" ;;
    esac ;;
esac
STUB
cat > "$work/bin/dpkg-query" <<'STUB'
#!/usr/bin/env bash
printf 'libssl3 amd64 3.0.19-1~deb12u2 same\nzlib1g amd64 1:1.2.13.dfsg-1 same\nlibwine amd64 8.0 same\nbash amd64 5.2.15-2 foreign\n'
STUB
chmod +x "$work/bin/"*
export PATH="$work/bin:$PATH" HR_STUB_LOG="$work/calls" HR_APT_PAUSE=0
. "$root/scripts/apt-lib.sh"
suite="$(hr_release_suite)"

# An index that fails on every attempt: three tries, then a warning, not the end.
: > "$HR_STUB_LOG"
out="$(hr_apt_update 2>&1)" || fail "update: a failing index ended the set-up"
[ "$(grep -c '^update' "$HR_STUB_LOG")" = 3 ] || fail "update: $(grep -c '^update' "$HR_STUB_LOG") attempts, expected 3"
expect "update" "WORKAROUND" "$out"
expect "update" "File has unexpected size" "$out"

# A mirror that has caught up by the second attempt: no workaround to tell.
: > "$HR_STUB_LOG"
out="$(HR_STUB_UPDATE_FAILS=1 hr_apt_update 2>&1)" || fail "update: failed after a good attempt"
[ "$(grep -c '^update' "$HR_STUB_LOG")" = 2 ] || fail "update: did not stop at the good attempt"
reject "update after a good attempt" "WORKAROUND" "$out"

# Unequal versions: the second install prefers the release suite and moves
# only the library the i386 side cannot match; signatures stay checked.
[ "$suite" = bookworm ] || echo "-- this system's release suite is $suite; the stub apt expects bookworm"
: > "$HR_STUB_LOG"
out="$(hr_apt_install wine64 wine32:i386 2>&1)" || fail "install: the workaround did not install ($out)"
second="$(grep '^install' "$HR_STUB_LOG" | sed -n 2p)"
expect "install retry" "-t $suite" "$second"
expect "install retry" "libssl3:amd64=3.0.20-1~deb12u2" "$second"
expect "install retry" "wine32:i386" "$second"
reject "install retry" "zlib1g" "$second"
reject "install retry" "libwine" "$second"
reject "install retry" "allow-unauthenticated" "$second"
expect "install output" "libssl3:amd64=3.0.20-1~deb12u2" "$out"

# Any other failure is a failure, not a reason to bend versions.
: > "$HR_STUB_LOG"
if out="$(HR_STUB_INSTALL=missing hr_apt_install wine33 2>&1)"; then fail "install: a missing package passed"; fi
[ "$(grep -c '^install' "$HR_STUB_LOG")" = 1 ] || fail "install: retried a failure that was not about versions"

[ "$failures" -eq 0 ] && echo "apt workarounds: all checks passed"
exit $((failures > 0))
