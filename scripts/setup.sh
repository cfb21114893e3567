#!/usr/bin/env bash
# Installs what building and testing the tool needs on Debian 12. Idempotent;
# runs as root or through sudo. wine32 (i386) goes beside wine64 so that a
# 64-bit prefix runs the shipped 32-bit tool as a WOW64 process, as 64-bit
# Windows does; recommends stay off so nothing else of i386 comes along.
#
# Mirrors are sometimes caught in the middle of a sync: an index whose size
# does not match its Release file, or a security suite whose i386 side lags
# its amd64 side. Neither may stop the set-up: a failing index is a warning
# (apt keeps the old one or ignores it), and an install that fails on
# unequal versions of a Multi-Arch: same library is tried again with the
# release suite preferred for both architectures. Signatures are always
# checked.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
  exec sudo -E "$0" "$@"
fi

packages=(
  cmake make g++ googletest libgtest-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64 wine32:i386
  # what libwine recommends, named here because recommends would also pull wine32
  libxrender1 libxrandr2 libxcursor1 libxi6 libxinerama1 libxcomposite1 libxfixes3 libxxf86vm1
  libgnutls30 libdbus-1-3 fonts-wine fonts-liberation
  xvfb xdotool imagemagick x11-utils
  locales fonts-wqy-microhei fonts-wqy-zenhei
  python3-pil file
  # the art script packs its pictures with these (lossless, deterministic)
  optipng advancecomp
  # the artefact check reads the PE file; the release script signs it
  python3-pefile osslsigncode openssl
)

. "$(cd "$(dirname "$0")" && pwd)/apt-lib.sh"

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup: enabling the i386 architecture"
  dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  hr_apt_update
  hr_apt_install "${missing[@]}"
fi

# Wine must see code page 936 as the ANSI code page, which it derives from LANG.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
echo "setup: done"
