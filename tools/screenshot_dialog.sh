#!/bin/bash
# Takes the README's picture of the dialog: the Windows program under Wine on
# a virtual display with a small window manager (openbox), so that the
# window shows as a user sees it, with its title bar and frame.
#   tools/screenshot_dialog.sh [recodo.exe] [picture.png]
# Needs Xvfb, openbox, xdotool and ImageMagick's import (Debian: xvfb,
# openbox, xdotool, imagemagick) and a Windows build.
set -euo pipefail
cd "$(dirname "$0")/.."
exe=${1:-build/windows/bin/recodo.exe}
out=${2:-docs/dialog.png}
export WINEDEBUG=-all

source tools/virtual_display.sh
wine "$exe" >/dev/null 2>&1 &
pids+=($!)

# The dialog's window, once the window manager has framed and shown it.
window=
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --name '^Recodo$' 2>/dev/null | head -1) || true
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the dialog did not appear" >&2; exit 1; }
xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
sleep 1  # the first paint after activation
import -frame -window "$window" "$out"
echo "$out: $(identify -format '%wx%h' "$out")"
