#!/bin/bash
# Takes the README's picture of the progress window of a dialog run, with
# its title bar and frame: the GUI test that slows every read runs on a
# virtual display with a small window manager (openbox), and the window is
# taken while it shows.
#   tools/screenshot_progress.sh [gui_tests.exe] [picture.png]
# Needs Xvfb, openbox, xdotool and ImageMagick's import (Debian: xvfb,
# openbox, xdotool, imagemagick) and a Windows build.
set -euo pipefail
cd "$(dirname "$0")/.."
tests=${1:-build/windows/bin/gui_tests.exe}
out=${2:-docs/progress.png}
export WINEDEBUG=-all

source tools/virtual_display.sh
wine "$tests" --gtest_filter='DialogRunProgress.MovesAnswers*' >/dev/null 2>&1 &
pids+=($!)

window=
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --name '^Recodo - converting$' 2>/dev/null | head -1) || true
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the progress window did not appear" >&2; exit 1; }
sleep 0.6  # a few updates of the bar
import -frame -window "$window" "$out"
echo "$out: $(identify -format '%wx%h' "$out")"
