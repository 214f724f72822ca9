#!/usr/bin/env bash
# Builds the Windows installer from a windows build.
# Usage: build_msi.sh <build bin folder> <checkout> <version> <output .msi>
set -euo pipefail
bin=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
version=$3
output=$(realpath -m "$4")
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# wixl takes the files by plain names, from the folder it runs in.
cp "$bin/recodo.exe" "$bin/recodo.com" "$bin/librecodo.dll.a" "$source/include/recodo/recodo.h" \
  "$source/engine/recodo.def" "$source/tools/installer/recodo.wxs" "$stage/"
cd "$stage"
wixl -a x64 -D Version="$version" -o package.msi recodo.wxs

# The PATH entry, which wixl has no element for: appended to the system's
# PATH at install ("=" sets, "-" removes it at uninstall, "*" the system's
# variable; "[~];" keeps what is there before it).
cat >Environment.idt <<'TABLE'
Environment	Name	Value	Component_
s72	l255	L255	s72
Environment	Environment
Path	=-*PATH	[~];[INSTALLDIR]	Program
TABLE
msibuild package.msi -i Environment.idt
# The two standard actions that read the table, where Windows Installer
# puts them.
msiinfo export package.msi InstallExecuteSequence >sequence.idt
for action in "RemoveEnvironmentStrings	3300" "WriteEnvironmentStrings	5200"; do
  grep -q "^${action%%	*}	" sequence.idt || printf '%s\t\t%s\r\n' "${action%%	*}" "${action##*	}" >>sequence.idt
done
msibuild package.msi -i sequence.idt
mv package.msi "$output"
