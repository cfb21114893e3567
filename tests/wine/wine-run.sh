#!/usr/bin/env bash
# Runs one Windows program of the x86_64 build in the test prefix:
# 64-bit Wine, zh-CN locale (ANSI code page 936), quiet debug channels.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exe="$1"; shift
cd "$(dirname "$exe")"
exec wine "$exe" "$@"
