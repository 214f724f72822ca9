#!/usr/bin/env bash
# The stress run: a tree of 10,000 small files in 20 levels converted with
# "/recursive" by the native recodo and by recodo.exe under Wine, and a 3 GiB
# sparse file converted by both, each with its time and peak memory.
# Usage: bench/stress.sh   (STRESS_DIR, default /dev/shm/recodo-stress)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=${STRESS_DIR:-/dev/shm/recodo-stress}
native=$root/build/native/bin/recodo
windows=$root/build/windows/bin/recodo.exe
rm -rf "$work"
mkdir -p "$work"

make_tree() {
  local dir=$1/tree level i
  mkdir -p "$dir"
  for ((level = 0; level < 20; ++level)); do
    for ((i = 0; i < 500; ++i)); do printf 'caf\xe9 %d %d\r\n' "$level" "$i" >"$dir/f$i.txt"; done
    dir=$dir/d$level
    mkdir -p "$dir"
  done
}

# measure <label> <command...>: runs it, prints seconds, peak MiB and the summary.
measure() {
  local label=$1
  shift
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" >"$work/out.txt" 2>&1 || true
  read -r secs kb <"$work/time"
  printf '| %s | %s s | %.1f MiB | %s |\n' "$label" "$secs" "$(echo "$kb / 1024" | bc -l)" \
    "$(tr -d '\r' <"$work/out.txt" | grep -E 'successfully|failed' | tr '\n' ' ')"
}

echo "| run | time | peak memory | summary |"
echo "|---|---|---|---|"
make_tree "$work/native"
measure "10,000 files, 20 levels, native" "$native" "$work/native/tree/*.txt" /recursive /scs=windows-1252 \
  "/log=$work/native.log"
grep -E 'successfully|failed' "$work/native.log" | sed 's/^/| native log: /; s/$/ | | |/'
count=$(find "$work/native/tree" -name '*.utf-8.txt' | wc -l)
echo "| native results | $count files written | | |"

if [ -f "$windows" ]; then
  export WINEDEBUG=-all
  make_tree "$work/wine"
  measure "10,000 files, 20 levels, Wine" wine "$windows" "Z:${work//\//\\}\\wine\\tree\\*.txt" /recursive \
    /scs=windows-1252 "/log=Z:${work//\//\\}\\wine.log"
  tr -d '\r' <"$work/wine.log" | grep -E 'successfully|failed' | sed 's/^/| Wine log: /; s/$/ | | |/'
  count=$(find "$work/wine/tree" -name '*.utf-8.txt' | wc -l)
  echo "| Wine results | $count files written | | |"
fi

truncate -s 3G "$work/sparse.txt"
measure "3 GiB sparse file, native" "$native" "$work/sparse.txt" /scs=iso-8859-1 /nobom "/output=$work/sparse.out"
echo "| 3 GiB result | $(stat -c %s "$work/sparse.out") bytes, zero: $(cmp -s -n 3221225472 "$work/sparse.out" /dev/zero && echo yes || echo no) | | |"
rm -f "$work/sparse.out"
if [ -f "$windows" ]; then
  measure "3 GiB sparse file, Wine" wine "$windows" "Z:${work//\//\\}\\sparse.txt" /scs=iso-8859-1 /nobom \
    "/output=Z:${work//\//\\}\\sparse.out"
  echo "| 3 GiB result, Wine | $(stat -c %s "$work/sparse.out") bytes | | |"
fi
rm -rf "$work"
