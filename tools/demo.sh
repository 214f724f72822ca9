#!/usr/bin/env bash
# Quick start: installs what is missing (Debian, as root), builds both presets,
# then converts the bundled samples/ with the Linux recodo and with recodo.exe
# under Wine, showing each command, its output and the first bytes it wrote.
# Usage: tools/demo.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

step() { printf '\n=== %s\n' "$*"; }
show() { printf '$ %s\n' "$*"; }

step "Checking packages"
# Configuring the presets needs GoogleTest (the tests are part of both builds),
# and the native preset also Google Benchmark and ICU for its benchmarks.
packages=(cmake ninja-build g++ libgtest-dev googletest libbenchmark-dev libicu-dev
          g++-mingw-w64-x86-64 wine wine64)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${missing[*]}; run this as root or install them first" >&2
    exit 1
  fi
  echo "installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
else
  echo "all present: ${packages[*]}"
fi

for preset in native windows; do
  step "Building the $preset preset"
  show cmake --preset "$preset"
  cmake --preset "$preset"
  show cmake --build --preset "$preset" -j2
  cmake --build --preset "$preset" -j2
done

native_exe=$root/build/native/bin/recodo
windows_exe=$root/build/windows/bin/recodo.exe
for f in "$native_exe" "$windows_exe"; do
  [ -f "$f" ] || { echo "the build did not produce $f" >&2; exit 1; }
done

demo=$(mktemp -d "${TMPDIR:-/tmp}/recodo-demo.XXXXXX")
mkdir "$demo/native" "$demo/windows"
cp samples/* "$demo/native/"
cp samples/* "$demo/windows/"

step "The samples (copied to $demo/native and $demo/windows)"
for f in samples/*; do
  echo "${f#samples/}: $(stat -c %s "$f") bytes"
  od -An -tx1 "$f" | head -2
  if command -v file >/dev/null; then file -b "$f" | sed 's/^/  file: /'; fi
done

failures=0

# convert <dir> <program and arguments...>: runs it inside <dir> (recodo takes
# items starting with "/" as flags, so sources are plain relative names), then
# shows its output and every file it added.
convert() {
  local dir=$1 before out rc=0 f
  shift
  before=$(LC_ALL=C ls -1 "$dir")
  printf '\n(in %s)\n' "$dir"
  show "$@"
  out=$(cd "$dir" && "$@" 2>&1) || rc=$?
  # recodo.exe ends its lines with CR LF.
  printf '%s\n' "$out" | tr -d '\r' | sed 's/^/  | /'
  echo "  exit code: $rc"
  local added
  added=$(LC_ALL=C comm -13 <(printf '%s\n' "$before") <(LC_ALL=C ls -1 "$dir"))
  if [ "$rc" -ne 0 ] || [ -z "$added" ]; then
    failures=$((failures + 1))
  fi
  if [ -z "$added" ]; then
    echo "  no result file was written"
    return 0
  fi
  while IFS= read -r f; do
    echo "  result: $f ($(stat -c %s "$dir/$f") bytes), first bytes:"
    od -An -tx1 "$dir/$f" | head -2
    if command -v file >/dev/null; then file -b "$dir/$f" | sed 's/^/  file: /'; fi
  done <<<"$added"
}

# The same three conversions for each build.
convert_samples() {
  local dir=$1
  shift
  convert "$dir" "$@" letter-cp1252.txt /scs=Windows-1252 /line=unix
  convert "$dir" "$@" notes-utf16.txt
  convert "$dir" "$@" catalog.xml /xml /dcs=utf-16
}

step "Converting with the Linux build: $native_exe"
convert_samples "$demo/native" "$native_exe"

step "Converting with the Windows build under Wine: $windows_exe"
export WINEDEBUG=-all
# One wine server for all runs, so each recodo.exe starts quickly.
wineserver -p >/dev/null 2>&1 || true
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
echo "starting Wine (the first start on a machine sets up ~/.wine and takes a while)"
wineboot -i >/dev/null 2>&1 || true
convert_samples "$demo/windows" wine "$windows_exe"

step "Comparing the two builds' results"
for f in "$demo/native"/*; do
  name=${f##*/}
  [ -f "samples/$name" ] && continue  # a copied sample, not a result
  if [ ! -f "$demo/windows/$name" ]; then
    echo "$name: only the Linux build wrote it"
    failures=$((failures + 1))
  elif cmp -s "$f" "$demo/windows/$name"; then
    echo "$name: identical"
  else
    echo "$name: DIFFERENT"
    failures=$((failures + 1))
  fi
done
for f in "$demo/windows"/*; do
  name=${f##*/}
  if [ ! -f "samples/$name" ] && [ ! -f "$demo/native/$name" ]; then
    echo "$name: only the Windows build wrote it"
    failures=$((failures + 1))
  fi
done

step "Done"
echo "Linux build results:   $demo/native"
echo "Windows build results: $demo/windows"
ls -l "$demo/native" "$demo/windows"
if [ "$failures" -ne 0 ]; then
  echo "$failures failed conversion(s) or difference(s), see above" >&2
  exit 1
fi
