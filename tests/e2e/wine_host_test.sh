#!/usr/bin/env bash
# recodo.exe under Wine on what only the host can make or see: links of the
# host's file system and the permission bits Wine keeps for Windows files.
# Usage: wine_host_test.sh <recodo.exe>
set -euo pipefail
program=$(realpath "$1")
work=$(mktemp -d /tmp/recodo-wine-host-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"
export WINEDEBUG=-all
failures=0
check() {  # check <what> <command...>
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
run() { wine "$program" "$@" >"$work/last-run.txt" 2>&1 || true; }

# A link named as the file to replace: the file it points to takes the
# result, the link stays.
printf 'caf\xe9' > real.txt
ln -s real.txt link.txt
run link.txt /replace /scs=windows-1252
check "the link stays a link" test -L link.txt
check "its target is converted" cmp -s real.txt <(printf '\xef\xbb\xbfcaf\xc3\xa9')

printf 'i' > in.txt
printf 'old' > target.txt
ln -s target.txt out-link.txt
run in.txt /output=out-link.txt
check "an output link stays a link" test -L out-link.txt
check "the output link's target is written" cmp -s target.txt <(printf '\xef\xbb\xbfi')

# A private file replaced in place never becomes more readable than it was
# to the group and others (Wine cannot keep it at 600, but gives no more
# than its default for new files).
printf 'p' > private.txt
chmod 600 private.txt
run private.txt /replace
mode=$(stat -c %a private.txt)
check "a replaced private file is not widened (mode $mode)" test $((8#$mode & 8#133)) -eq 0

# A batch file at a prompt: a bare "recodo" is recodo.com beside the
# program, which cmd waits for; its lines come first, then its exit code.
cp "$(dirname "$program")/recodo.com" "$(dirname "$program")/recodo.exe" .
printf '@echo off\r\nrecodo missing.txt\r\necho rc=%%ERRORLEVEL%%\r\n' > run.bat
out=$(wine cmd /c run.bat 2>&1 | tr -d '\r' || true)
check "the batch file prints the run's lines" grep -q '^Error 2: Conversion of "missing.txt" failed.$' <<<"$out"
check "then its exit code ($(tail -1 <<<"$out"))" test "$(tail -1 <<<"$out")" = "rc=2"

if [ $failures -ne 0 ]; then exit 1; fi
