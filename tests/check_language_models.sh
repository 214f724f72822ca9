#!/bin/sh
# The committed language models are what their generators make from the
# packages they name; skipped (77) where those packages are not installed.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
for pair in language_models:gen_language_models cjk_models:gen_cjk_models; do
  models=$root/engine/${pair%%:*}.generated.cpp
  for package in $(sed -n 's|^//   [A-Za-z() ]*: \([a-z0-9.+-]*\) .*|\1|p' "$models" | sort -u); do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      echo "skipped: $package is not installed"
      exit 77
    fi
  done
done
for pair in language_models:gen_language_models cjk_models:gen_cjk_models; do
  python3 "$root/tools/${pair#*:}.py" --check "$root/engine/${pair%%:*}.generated.cpp"
done
