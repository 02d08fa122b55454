#!/usr/bin/env bash
# Installs what is missing, builds and runs the demo (under Xvfb when there is
# no display). With --i386 it builds and runs the 32-bit x86 executable.
set -euo pipefail
cd "$(dirname "$0")"
build=build
configure=()
if [ "${1:-}" = "--i386" ]; then
  shift
  build=build-i386
  # The toolchain file is read when the folder is first configured only.
  [ -f build-i386/CMakeCache.txt ] || configure=(--toolchain cmake/i386-linux.cmake)
fi
./scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${configure[@]}"
cmake --build "$build" -j "$(nproc)" --target DriftingRaysIV-linux
exe=$build/demo/DriftingRaysIV-linux
if [ "$build" = build-i386 ]; then
  . scripts/i386-env.sh
fi
if [ -n "${DISPLAY:-}" ]; then
  exec "$exe" "$@"
else
  # -noreset: SDL connects to the server twice while it opens the window; a
  # server that resets when the first connection closes refuses the second.
  exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$exe" "$@"
fi
