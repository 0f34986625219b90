#!/usr/bin/env bash
# Runs bench_windowping on a virtual X server of its own with a window manager (openbox), the way a desktop
# pings its windows. Builds nothing: build bench_windowping first (scripts/build).
# Usage: bench/windowping/run.sh [build folder] [manual.pdf] [save] [ocr] [redaction] [assistant]
set -euo pipefail

build="${1:-build}"
shift || true
program="$build/bench/windowping/bench_windowping"
if [ ! -x "$program" ]; then
  echo "$program is not built: run scripts/build first" >&2
  exit 1
fi
folder=$(mktemp -d)
mkfifo "$folder/display"
# Xvfb picks a free display and writes its number.
Xvfb -displayfd 3 -screen 0 1600x1000x24 3>"$folder/display" 2>/dev/null &
xvfb=$!
read -r number <"$folder/display"
display=":$number"
DISPLAY="$display" openbox >/dev/null 2>&1 &
openbox=$!
trap 'kill "$openbox" "$xvfb" 2>/dev/null || true; rm -rf "$folder"' EXIT
sleep 1
DISPLAY="$display" QT_QPA_PLATFORM=xcb "$program" "$@"
