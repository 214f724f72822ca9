#!/usr/bin/env bash
# Installs what is missing (Debian, as root), builds every preset and runs
# every test of each. Usage: tools/test.sh
#
# The Windows tests mostly wait on Wine, so they run while the Linux presets
# build; their lines follow at the end. Every suite's skipped tests are named
# with their reasons (several need root).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ python3 libgtest-dev googletest libbenchmark-dev libicu-dev
          clang libclang-rt-dev g++-mingw-w64-x86-64 wine wine64 xvfb xauth binutils imagemagick
          man-db pkg-config dpkg-dev file libuchardet-dev ccache wixl msitools)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

export WINEDEBUG=-all
# One wine server for the whole run, so each test program starts quickly.
wineserver -p >/dev/null 2>&1 || true
windows_tests=
cleanup() {
  [ -n "$windows_tests" ] && kill -- -"$windows_tests" >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true
}
trap cleanup EXIT
wineboot -i >/dev/null 2>&1 || true

# Tests a suite skipped, and why: the ones GoogleTest skipped inside a program
# and the ones ctest did not run.
say_skipped() {
  local log=build/$1/Testing/Temporary/LastTest.log
  [ -f "$log" ] || return 0
  awk -v preset="$1" '
    /^[0-9]+\/[0-9]+ Test: / { test = $3; next }
    /^skipped: / { skipped[test] = substr($0, 10); next }
    /: Skipped$/ { getline reason; next }
    /^\[  SKIPPED \] .*\([0-9]+ ms\)$/ { skipped[$4] = reason; reason = "" }
    END {
      n = 0
      for (t in skipped) {
        n++
        why = skipped[t] == "" ? "(no reason given)" : skipped[t]
        if (count[why]++ < 3) names[why] = names[why] (count[why] > 1 ? ", " : "") t
      }
      if (n == 0) exit
      printf "%s: %d skipped\n", preset, n
      for (why in count)
        printf "  %s: %s%s\n", why, names[why], (count[why] > 3 ? sprintf(" and %d more", count[why] - 3) : "")
    }' "$log"
}

# Through ccache, with paths taken relative to the checkout: the files that
# compile alike in native and portable (all but the engine's kernels) are
# compiled once, and a second run compiles only what changed.
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
for preset in windows native portable sanitize; do
  cmake --preset "$preset" -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache >/dev/null
done

status=0
echo "== windows ($(date +%T))"
cmake --build --preset windows
mkdir -p build/windows/Testing
setsid ctest --preset windows >build/windows/Testing/run.log 2>&1 &
windows_tests=$!

for preset in native portable sanitize; do
  echo "== $preset ($(date +%T))"
  # Below the Wine tests, whose waits have deadlines.
  nice -n 10 cmake --build --preset "$preset"
  ctest --preset "$preset" -j2 || status=1
  say_skipped "$preset"
done

echo "== windows, tests ($(date +%T))"
windows_status=0
wait "$windows_tests" || windows_status=$?
windows_tests=
cat build/windows/Testing/run.log
[ "$windows_status" -eq 0 ] || status=1
say_skipped windows
echo "== done ($(date +%T))"
exit $status
