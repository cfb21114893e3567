# Shared by the benchmark scripts. Source it after setting `root`.
# Each benchmark runs in a prefix of its own (HR_BENCH_PREFIX, default
# build/benchprefix), never in the test prefix, so that it can run beside
# the test suite.
build="${HR_BUILD_ROOT:-$root/build}"

# Creates or refreshes the prefix and makes it the current one.
bench_prefix() {
  local prefix="${HR_BENCH_PREFIX:-$build/benchprefix}"
  "$root/scripts/make-prefix.sh" "$prefix" >/dev/null  # refreshes the stand-ins too
  export WINEPREFIX="$prefix"
  . "$root/scripts/wine-env.sh"
}

# The build tree of an architecture named on a benchmark's command line.
bench_build_dir() {  # i686|x86_64
  case "$1" in
    i686) echo "$build/win32" ;;
    x86_64) echo "$build/win64" ;;
    *) echo "bench: unknown build $1 (i686 or x86_64)" >&2; return 2 ;;
  esac
}
