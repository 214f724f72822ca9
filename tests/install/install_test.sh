#!/usr/bin/env bash
# Installs a native build into a fresh prefix and uses it as another project
# would: through pkg-config, through find_package, its manual page, and the
# Debian package made of the same files.
# Usage: install_test.sh <build directory> <consumer sources>
set -euo pipefail
build=$(cd "$1" && pwd)
consumer=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >/dev/null

expected_files="bin/recodo
include/recodo/recodo.h
lib/cmake/recodo/recodoConfig.cmake
lib/cmake/recodo/recodoConfigVersion.cmake
lib/cmake/recodo/recodoTargets-release.cmake
lib/cmake/recodo/recodoTargets.cmake
lib/librecodo.so
lib/librecodo.so.0
lib/librecodo.so.0.1.0
lib/pkgconfig/recodo.pc
share/man/man1/recodo.1"
installed=$(cd "$prefix" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort)
[ "$installed" = "$expected_files" ] || fail "installed files differ:"$'\n'"$(diff <(echo "$expected_files") <(echo "$installed"))"

[ "$(readlink "$prefix/lib/librecodo.so")" = librecodo.so.0 ] || fail "librecodo.so does not point at librecodo.so.0"
[ "$(readlink "$prefix/lib/librecodo.so.0")" = librecodo.so.0.1.0 ] || fail "librecodo.so.0 does not point at the library"
soname=$(readelf -d "$prefix/lib/librecodo.so.0.1.0" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')
[ "$soname" = librecodo.so.0 ] || fail "SONAME is '$soname'"
"$prefix/bin/recodo" --version | grep -q '^Recodo "0.1.0"' || fail "the installed program does not run"

expected_output="9 bytes, detected 100"

# pkg-config, as a Makefile would use it.
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
[ "$(pkg-config --modversion recodo)" = 0.1.0 ] || fail "pkg-config version"
# shellcheck disable=SC2046
cc -std=c99 -Wall -Werror -o "$work/by_pkg_config" "$consumer/use_recodo.c" $(pkg-config --cflags --libs recodo)
got=$(LD_LIBRARY_PATH="$prefix/lib" "$work/by_pkg_config") || fail "pkg-config build exited with $?"
[ "$got" = "$expected_output" ] || fail "pkg-config build printed '$got'"
needed=$(readelf -d "$work/by_pkg_config" | sed -n 's/.*Shared library: \[\(librecodo.*\)\]/\1/p')
[ "$needed" = librecodo.so.0 ] || fail "linked against '$needed', not the SONAME"

# find_package, as a CMake project would use it.
cmake -S "$consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_C_FLAGS="-Wall -Werror" >/dev/null
cmake --build "$work/consumer" >/dev/null
got=$("$work/consumer/use_recodo") || fail "find_package build exited with $?"
[ "$got" = "$expected_output" ] || fail "find_package build printed '$got'"

# The manual page renders without a warning.
warnings=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/recodo.1" 2>&1 >/dev/null || echo "man failed")
[ -z "$warnings" ] || fail "man page warnings: $warnings"
# Every flag of the usage text, and the spellings of other tools, are in it.
page=$(MANWIDTH=200 man -l "$prefix/share/man/man1/recodo.1" 2>/dev/null)
flags=$("$prefix/bin/recodo" --help | grep -o '^/[^ =<'$'\t'']*')
[ "$(wc -l <<<"$flags")" -ge 20 ] || fail "the usage text lists only: $flags"
for flag in $flags --help --version -r; do
  grep -qF -- "$flag" <<<"$page" || fail "the man page lacks $flag"
done

# The Debian package holds the same files under /usr, and depends on what
# its binaries need.
(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null)
deb=$(ls "$work"/package/recodo_*.deb)
in_package=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sed 's|^\./usr/||' | sort)
[ "$in_package" = "$expected_files" ] || fail "package files differ:"$'\n'"$(diff <(echo "$expected_files") <(echo "$in_package"))"
listing=$(dpkg-deb -c "$deb")
grep -q '^l.* ./usr/lib/librecodo.so.0 -> librecodo.so.0.1.0$' <<<"$listing" || fail "package link librecodo.so.0"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libc6 libstdc++6 libgcc-s1; do
  case "$depends" in *"$needed "*|*"$needed,"*|*"$needed") ;; *) fail "Depends '$depends' lacks $needed" ;; esac
done

[ "$failures" -eq 0 ] && echo "install, pkg-config, find_package, man page and package: all as expected"
exit $((failures > 0))
