#!/usr/bin/env bash
# The Windows installer under Wine, in a prefix of its own: install, what it
# put where, the installed program run by its bare name, an upgrade in place
# to a later version, and an uninstall that leaves nothing behind.
# Usage: windows_msi_test.sh <build directory> <checkout> <version>
set -euo pipefail
build=$(cd "$1" && pwd)
checkout=$(cd "$2" && pwd)
version=$3
msi="$build/recodo-$version-x64.msi"
# Beside the build rather than in /tmp, which some machines mount noexec.
work=$(mktemp -d "$build/msi-test-XXXXXX")
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
# A step outside the checks that fails says which, rather than ending silently.
trap 'echo "FAILED: line $LINENO: $BASH_COMMAND (exit $?)"' ERR
failures=0
check() {  # check <what> <command...>
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
registry() { wine reg query "$@" 2>/dev/null | tr -d '\r'; }
uninstall_entries() { registry 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s; }
system_path() { registry 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' /v PATH; }
shortcuts() { find "$WINEPREFIX/drive_c" -iname 'recodo.lnk' | sort; }

# The same files as a later version, to upgrade to.
IFS=. read -r major minor patch <<<"$version"
later="$major.$minor.$((patch + 1))"
"$checkout/tools/installer/build_msi.sh" "$build/bin" "$checkout" "$later" "$work/later.msi"

# A prefix of its own, so the machine's is never touched. Where Wine cannot
# make one at all, the test says so and is skipped: what it checks needs one.
boot=$(wineboot -i 2>&1) || true
if [ ! -d "$WINEPREFIX/drive_c/windows/system32" ]; then
  echo "skipped: Wine made no prefix here: $(tail -3 <<<"$boot" | tr '\n' ' ')"
  exit 77
fi
installed="$WINEPREFIX/drive_c/Program Files/recodo"

check "the installer runs" wine msiexec /i "$(winepath -w "$msi")" /qn ADDLOCAL=ALL
for file in recodo.exe recodo.com include/recodo/recodo.h lib/librecodo.dll.a lib/recodo.def; do
  check "it installs $file" test -f "$installed/$file"
done
check "the installed program is the built one" cmp -s "$installed/recodo.exe" "$build/bin/recodo.exe"
check "a Start menu entry" grep -q '/Start Menu/Programs/recodo.lnk$' <(shortcuts)
check "a Send To entry" grep -q '/SendTo/recodo.lnk$' <(shortcuts)
sendto=$(shortcuts | grep /SendTo/ | head -1)
check "Send To opens the dialog with the file" grep -q '/dialog' <(strings -el "$sendto")
check "the folder is on the PATH" grep -qi 'C:\\Program Files\\recodo\\' <(system_path)
entries=$(uninstall_entries)
check "an entry in Apps & features" grep -q 'DisplayName    REG_SZ    recodo$' <<<"$entries"
check "with its version" grep -q "DisplayVersion    REG_SZ    $version\$" <<<"$entries"
check "and its publisher" grep -q 'Publisher    REG_SZ    the recodo project$' <<<"$entries"

# A bare "recodo" at a prompt, anywhere: recodo.com, found on the PATH.
mkdir -p "$work/files"
printf 'caf\xe9' >"$work/files/notes.txt"
printf '@echo off\r\ncd /d "%s"\r\nrecodo notes.txt /scs=windows-1252\r\necho rc=%%ERRORLEVEL%%\r\n' \
  "$(winepath -w "$work/files")" >"$work/files/run.bat"
out=$(wine cmd /c "$(winepath -w "$work/files/run.bat")" 2>&1 | tr -d '\r')
check "a bare recodo converts at a prompt ($(tail -1 <<<"$out"))" grep -qx 'rc=0' <<<"$out"
check "its result is written" cmp -s "$work/files/notes.utf-8.txt" <(printf '\xef\xbb\xbfcaf\xc3\xa9')

check "a later version installs over it" wine msiexec /i "$(winepath -w "$work/later.msi")" /qn
entries=$(uninstall_entries)
check "one entry is left, the later one" test "$(grep -c 'DisplayName    REG_SZ    recodo$' <<<"$entries")" -eq 1
check "with the later version" grep -q "DisplayVersion    REG_SZ    $later\$" <<<"$entries"
check "the program is still there" test -f "$installed/recodo.exe"
check "the PATH holds the folder once" test "$(system_path | grep -oi 'Program Files\\recodo' | wc -l)" -eq 1

check "the uninstall runs" wine msiexec /x "$(winepath -w "$work/later.msi")" /qn
check "no installed file is left" test ! -e "$installed"
check "no shortcut is left" test -z "$(shortcuts)"
check "the PATH is as before" test -z "$(system_path | grep -i 'recodo')"
check "no entry in Apps & features" test -z "$(uninstall_entries | grep 'DisplayName    REG_SZ    recodo$')"

# The header and import library only when chosen.
check "a default install runs" wine msiexec /i "$(winepath -w "$msi")" /qn
check "it installs the program" test -f "$installed/recodo.com"
check "but not the header" test ! -e "$installed/include"
check "and uninstalls" wine msiexec /x "$(winepath -w "$msi")" /qn
check "leaving nothing" test ! -e "$installed"

exit $((failures > 0))
