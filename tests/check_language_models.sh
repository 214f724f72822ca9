#!/bin/sh
# The committed language models are what their generator makes from the
# packages it names; skipped (77) where those packages are not installed.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
models=$root/engine/language_models.generated.cpp
for package in $(sed -n 's|^//   [A-Za-z]*: \([a-z0-9.+-]*\) .*|\1|p' "$models" | sort -u); do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    echo "skipped: $package is not installed"
    exit 77
  fi
done
python3 "$root/tools/gen_language_models.py" --check "$models"
