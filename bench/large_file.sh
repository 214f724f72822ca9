#!/usr/bin/env bash
# One sparse source past 4 GiB converted by the recodo command and, in the
# same run and one after the other, by glibc iconv: bytes out, seconds,
# throughput and peak memory of each, and the ratio of the times.
#
# Usage: bench/large_file.sh [size_GiB=5]
#   BENCH_DIR  work directory (default /tmp/recodo-large); the files are removed after
#   RECODO     recodo binary (default build/native/bin/recodo in the repository)
#   RUNNER     what starts it, e.g. "wine" for recodo.exe (default: nothing)
set -euo pipefail

size_gib=${1:-5}
[[ $size_gib =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [size_GiB=5]" >&2; exit 2; }
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=${BENCH_DIR:-/tmp/recodo-large}
recodo=${RECODO:-$root/build/native/bin/recodo}
[[ $recodo = /* ]] || recodo=$PWD/$recodo
runner=${RUNNER:-}
[ -x /usr/bin/time ] || { echo "missing: /usr/bin/time (package time)" >&2; exit 2; }
command -v iconv >/dev/null || { echo "missing: iconv" >&2; exit 2; }

mkdir -p "$work"
cd "$work"
trap 'rm -f big.txt big.utf-8.txt big.iconv.txt' EXIT
bytes=$((size_gib * 1073741824))
# A line of Latin-1 text at each end and a hole of zeros between: converted
# like any other bytes, but cheap to make.
printf 'caf\xe9 au lait\n' > big.txt
truncate -s "$bytes" big.txt
printf 'cr\xe8me br\xfbl\xe9e\n' | dd of=big.txt bs=1 seek=$((bytes - 13)) conv=notrunc status=none

measure() {  # name output command...
  local name=$1 output=$2
  shift 2
  /usr/bin/time -f '%e %M' -o time.txt "$@" >/dev/null
  read -r seconds peak_kib < time.txt
  local out_bytes
  out_bytes=$(stat -c %s "$output")
  echo "$name|$out_bytes|$seconds|$(awk -v b="$bytes" -v s="$seconds" 'BEGIN { printf "%.0f", b / 1048576 / s }')|$((peak_kib / 1024))"
  rm -f "$output"
}

echo "source: $bytes bytes ($size_gib GiB, sparse), Latin-1 to UTF-8 without a mark"
echo
echo "| program | bytes out | seconds | MiB/s | peak memory MiB |"
echo "|---|---|---|---|---|"
# shellcheck disable=SC2086
r=$(measure recodo big.utf-8.txt $runner "$recodo" big.txt /scs=latin1 /nobom)
i=$(measure iconv big.iconv.txt sh -c 'iconv -f LATIN1 -t UTF-8 big.txt > big.iconv.txt')
for line in "$r" "$i"; do echo "| ${line//|/ | } |"; done
awk -v a="$(cut -d'|' -f3 <<<"$r")" -v b="$(cut -d'|' -f3 <<<"$i")" \
  'BEGIN { printf "\nrecodo takes %.2f times the time of iconv\n", a / b }'
