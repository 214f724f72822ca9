#!/usr/bin/env bash
# Installs the Windows build into a fresh prefix, links a small C program
# against the installed import library and runs it under Wine beside the
# installed recodo.exe.
# Usage: windows_install_test.sh <build directory> <consumer sources> <C compiler>
set -euo pipefail
build=$(cd "$1" && pwd)
consumer=$(cd "$2" && pwd)
compiler=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >/dev/null
expected_files="bin/recodo.com
bin/recodo.exe
include/recodo/recodo.h
lib/librecodo.dll.a"
installed=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
[ "$installed" = "$expected_files" ] || fail "installed files differ:"$'\n'"$(diff <(echo "$expected_files") <(echo "$installed"))"

"$compiler" -std=c99 -Wall -Werror -I"$prefix/include" "$consumer/use_recodo.c" -L"$prefix/lib" -lrecodo \
  -o "$prefix/bin/use_recodo.exe"
imports=$(x86_64-w64-mingw32-objdump -p "$prefix/bin/use_recodo.exe" | sed -n 's/.*DLL Name: //p')
grep -qx recodo.exe <<<"$imports" || fail "the program does not import from recodo.exe: $imports"
got=$(cd "$prefix/bin" && WINEDEBUG=-all wine use_recodo.exe 2>/dev/null | tr -d '\r') || fail "exited with $?"
[ "$got" = "9 bytes, detected 100" ] || fail "printed '$got'"

[ "$failures" -eq 0 ] && echo "Windows install and a program linked against its import library: as expected"
exit $((failures > 0))
