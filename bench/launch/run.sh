#!/usr/bin/env bash
# Runs bench_launch under a virtual X server, beside the desktop's stock viewer. evince is installed from
# Debian here, for the benchmark only; the application and its tests never need it. It builds nothing: the
# build folder must hold bench_launch already (scripts/build builds it).
# Usage: bench/launch/run.sh [build folder] [--frames DIR]
set -euo pipefail

build="${1:-build}"
shift || true
if ! command -v evince >/dev/null; then
  if [ "$(id -u)" -eq 0 ]; then
    apt-get install -y --no-install-recommends evince >&2
  else
    sudo apt-get install -y --no-install-recommends evince >&2
  fi
fi
program="$build/bench/launch/bench_launch"
if [ ! -x "$program" ]; then
  echo "$program is missing: build it first (scripts/build)." >&2
  exit 1
fi
exec xvfb-run -a -s "-screen 0 1600x1000x24" "$program" "$@"
