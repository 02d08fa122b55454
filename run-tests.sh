#!/usr/bin/env bash
# Installs what is missing, builds, runs every test with ctest, then every
# test again on the 32-bit x86 build (with the tests across the two builds),
# then under AddressSanitizer + UndefinedBehaviorSanitizer, then every fuzz
# target for a few seconds. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

jobs=$(nproc)
fuzz_seconds=${FUZZ_SECONDS:-5}

# Tests open real windows: give them an X server when there is none.
with_display() {
  if [ -n "${DISPLAY:-}" ]; then
    "$@"
  else
    xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$@"
  fi
}

echo "== build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"

echo "== tests"
with_display ctest --test-dir build --output-on-failure -j "$jobs"

echo "== every test on the 32-bit x86 build, and across the two builds"
# Same sources, same expectations; the cross-build tests run the native
# build's programs beside this build's.
toolchain=()   # read when the folder is first configured only
[ -f build-i386/CMakeCache.txt ] || toolchain=(--toolchain cmake/i386-linux.cmake)
cmake -S . -B build-i386 -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  "${toolchain[@]}" -DVELTRIC_PEER_BUILD="$PWD/build"
cmake --build build-i386 -j "$jobs"
(
  . scripts/i386-env.sh
  with_display ctest --test-dir build-i386 --output-on-failure -j "$jobs"
)

echo "== every test under AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELTRIC_SANITIZE=ON -DVELTRIC_BENCH=OFF
cmake --build build-asan -j "$jobs"
# The leak check ignores only what libX11 keeps for itself (scripts/lsan.supp).
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  with_display ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== fuzz targets (${fuzz_seconds} s each)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELTRIC_FUZZ=ON -DVELTRIC_TESTS=OFF -DVELTRIC_BENCH=OFF
cmake --build build-fuzz -j "$jobs"
./scripts/run-fuzzers.sh build-fuzz "$fuzz_seconds"

echo "== all tests passed"
