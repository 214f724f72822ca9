#!/usr/bin/env bash
# Installs what is missing (Debian, as root), builds every preset and runs
# every test of both. Usage: tools/test.sh
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake make g++ python3 libgtest-dev googletest libbenchmark-dev libicu-dev
          clang libclang-rt-dev g++-mingw-w64-x86-64 wine wine64 xvfb xauth binutils imagemagick
          man-db pkg-config dpkg-dev file libuchardet-dev)
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
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wineboot -i >/dev/null 2>&1 || true

status=0
for preset in native portable windows sanitize; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" || status=1
done
exit $status
