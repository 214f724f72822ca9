#!/usr/bin/env bash
# Which top folder's sources include which other top folder's headers, with
# the count of include lines: one "from -> to count" row per pair.
# Usage: tools/include_arrows.sh [--check]
# With --check it fails when a lower folder includes a higher one, so the
# layers stay one way: driver/ and ui/ on top, then convert/ and security/,
# then engine/ and platform/, and base/ under all of them.
set -euo pipefail
cd "$(dirname "$0")/.."

product=(base engine platform convert security ui driver)
rows=$(for from in "${product[@]}"; do
  [ -d "$from" ] || continue
  grep -rhoE '^#include "[a-z_]+/' --include='*.h' --include='*.cpp' --include='*.inc' "$from" |
    sed -E 's/^#include "([a-z_]+)\/.*/\1/' |
    while read -r to; do
      case " ${product[*]} " in *" $to "*) [ "$to" != "$from" ] && echo "$from -> $to" ;; esac
    done
done | sort | uniq -c | awk '{print $2, $3, $4, $1}')
echo "$rows"

if [ "${1:-}" = "--check" ]; then
  # A folder's rank: it may include only folders of a lower rank.
  rank() { case $1 in base) echo 0 ;; engine|platform) echo 1 ;; convert|security) echo 2 ;; ui|driver) echo 3 ;; esac; }
  bad=0
  while read -r from _ to _; do
    [ -n "$from" ] || continue
    # The two arrows the design itself draws: the dialog fills the driver's
    # settings, and detection reads a file through the platform.
    if [ "$(rank "$to")" -ge "$(rank "$from")" ] && ! { [ "$from" = ui ] && [ "$to" = driver ]; } &&
       ! { [ "$from" = engine ] && [ "$to" = platform ]; }; then
      echo "runs the wrong way: $from -> $to" >&2
      bad=1
    fi
  done <<< "$rows"
  exit $bad
fi
