#!/usr/bin/env bash
# Installs what is missing, builds and runs the demo (under Xvfb when there is
# no display).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target DriftingRaysIV-linux
exe=build/demo/DriftingRaysIV-linux
if [ -n "${DISPLAY:-}" ]; then
  exec "$exe" "$@"
else
  # -noreset: SDL connects to the server twice while it opens the window; a
  # server that resets when the first connection closes refuses the second.
  exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$exe" "$@"
fi
