# apt steps of scripts/setup.sh that must get through a mirror caught in the
# middle of a sync. Source it; every message starts with "setup:".
#
# HR_APT_PAUSE (seconds between update attempts, default 10) exists so the
# test of these steps need not wait.

# Up to three attempts; an index that still fails afterwards is only a
# warning: apt has then kept the previous copy or left that index out, and
# the install below says whether what is left is enough.
hr_apt_update() {
  local attempt out
  for attempt in 1 2 3; do
    if out="$(apt-get update -q 2>&1)" && ! grep -q '^\(E\|W\): Failed to fetch\|^E: ' <<<"$out"; then
      return 0
    fi
    if [ "$attempt" -lt 3 ]; then
      echo "setup: apt-get update failed (attempt $attempt of 3), trying again in ${HR_APT_PAUSE:-10} s"
      sleep "${HR_APT_PAUSE:-10}"
    fi
  done
  echo "setup: WORKAROUND: some package indexes still fail after three attempts (mirror sync in progress?);"
  echo "setup:   going on with what apt has; the install below tells whether it is enough:"
  grep '^\(E\|W\):' <<<"$out" | grep -v '^  ' | sed 's/^/setup:     /' | head -n 5
  return 0
}

# The i386 libraries the named packages pull in (names without :i386).
hr_i386_closure() {
  local p i386=()
  for p in "$@"; do [[ "$p" == *:i386 ]] && i386+=("$p"); done
  [ "${#i386[@]}" -gt 0 ] || return 0
  apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts \
      --no-breaks --no-replaces --no-enhances "${i386[@]}" 2>/dev/null |
    grep -v '^ ' | grep ':i386$' | sed 's/:i386$//' | sort -u
}

# For each installed amd64 Multi-Arch: same library in that closure whose
# installed version the i386 side cannot get, prints "name:amd64=version"
# with the newest version that both architectures' indexes offer.
hr_multiarch_alignments() {
  local closure; closure="$(hr_i386_closure "$@")"
  [ -n "$closure" ] || return 0
  local name arch version ma v64 v32 common
  while read -r name arch version ma; do
    [ "$arch" = amd64 ] && [ "$ma" = same ] || continue
    grep -qx "$name" <<<"$closure" || continue
    v32="$(apt-cache madison "$name:i386" 2>/dev/null | awk -F' *[|] *' '{print $2}')"
    [ -n "$v32" ] || continue
    grep -qxF "$version" <<<"$v32" && continue
    v64="$(apt-cache madison "$name:amd64" 2>/dev/null | awk -F' *[|] *' '{print $2}')"
    common="$(grep -xF -f <(printf '%s\n' "$v64") <<<"$v32" | head -n 1)"
    [ -n "$common" ] && echo "$name:amd64=$common"
  done < <(dpkg-query -W -f='${Package} ${Architecture} ${Version} ${Multi-Arch}\n' 2>/dev/null)
  return 0
}

# The release suite of this system (bookworm on Debian 12).
hr_release_suite() {
  local s; s="$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")"
  echo "${s:-bookworm}"
}

hr_apt_install() {
  local out
  if out="$(apt-get install -y -q --no-install-recommends "$@" 2>&1)"; then
    return 0
  fi
  if ! grep -q 'held broken packages\|unmet dependencies\|Depends:' <<<"$out"; then
    printf '%s\n' "$out" | tail -n 20 >&2
    echo "setup: apt-get install failed" >&2
    return 1
  fi
  local suite aligned=()
  suite="$(hr_release_suite)"
  mapfile -t aligned < <(hr_multiarch_alignments "$@")
  echo "setup: WORKAROUND: the install failed on libraries whose amd64 and i386 versions differ"
  echo "setup:   (one architecture's index of a suite lags the other's); trying again with the"
  echo "setup:   release suite '$suite' preferred for both architectures"
  if [ "${#aligned[@]}" -gt 0 ]; then
    echo "setup:   and these installed libraries set to a version both architectures have:"
    printf 'setup:     %s\n' "${aligned[@]}"
  fi
  if ! out="$(apt-get install -y -q --no-install-recommends --allow-downgrades -t "$suite" "$@" "${aligned[@]}" 2>&1)"; then
    printf '%s\n' "$out" | tail -n 30 >&2
    echo "setup: apt-get install failed, also with the release suite preferred" >&2
    return 1
  fi
  echo "setup:   installed with the workaround"
}
