#!/usr/bin/env bash
# stress-tests.sh [rounds] [build-dir]
#
# Runs the whole ctest suite `rounds` times (default 5) while two busy loops
# per core run beside it, so that tests which lean on wall-clock time or on
# how fast another process answers show up. Builds first (the tree must be
# configured in build-dir, default "build", or it is configured there).
# Prints the tests that failed in each round and exits non-zero when any
# round failed. Each round's ctest output is kept in
# <build-dir>/stress/round-<n>.log.
#
# Environment: STRESS_BUSY (number of busy loops, default 2 x nproc),
# STRESS_JOBS (ctest -j, default nproc).
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=${1:-5}
build=${2:-build}
cores=$(nproc)
busy=${STRESS_BUSY:-$((2 * cores))}
jobs=${STRESS_JOBS:-$cores}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j "$jobs"

# Starts one round in a process group of its own, so that an interrupted
# script can end it at once. Tests open real windows: they get an X server
# when there is none. The server must not reset when a client leaves
# (-noreset): SDL connects twice while it opens a window, and a resetting
# server drops the second connection.
round_pid=""
start_round() {
  if [ -n "${DISPLAY:-}" ]; then
    setsid "$@" &
  else
    setsid xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$@" &
  fi
  round_pid=$!
}

busy_pids=()
stop_busy() {
  local p
  for p in "${busy_pids[@]}"; do
    kill "$p" 2>/dev/null || true
  done
  for p in "${busy_pids[@]}"; do
    wait "$p" 2>/dev/null || true
  done
  busy_pids=()
}
interrupted() {
  if [ -n "$round_pid" ]; then
    kill -TERM -- "-$round_pid" 2>/dev/null || true
    wait "$round_pid" 2>/dev/null || true
  fi
  exit 130
}
trap stop_busy EXIT
trap interrupted INT TERM

for _ in $(seq "$busy"); do
  (while :; do :; done) &
  busy_pids+=("$!")
done
echo "== $busy busy loops on $cores cores, $rounds rounds of ctest -j $jobs"

logs="$build/stress"
mkdir -p "$logs"
failed_log="$build/Testing/Temporary/LastTestsFailed.log"
summary=()
bad_rounds=0
for round in $(seq "$rounds"); do
  rm -f "$failed_log"
  log="$logs/round-$round.log"
  start=$(date +%s)
  status=0
  start_round ctest --test-dir "$build" --output-on-failure -j "$jobs" > "$log" 2>&1
  wait "$round_pid" || status=$?
  round_pid=""
  took=$(( $(date +%s) - start ))
  load=$(cut -d' ' -f1-3 /proc/loadavg)
  if [ "$status" -eq 0 ]; then
    line="round $round: passed in ${took} s (load $load)"
  else
    bad_rounds=$((bad_rounds + 1))
    names="(ctest exit status $status)"
    if [ -s "$failed_log" ]; then
      names=$(cut -d: -f2- "$failed_log" | tr '\n' ' ')
    fi
    line="round $round: FAILED in ${took} s (load $load): $names -- see $log"
  fi
  echo "$line"
  summary+=("$line")
done

stop_busy
echo "== summary"
printf '%s\n' "${summary[@]}"
if [ "$bad_rounds" -ne 0 ]; then
  echo "== $bad_rounds of $rounds rounds failed"
  exit 1
fi
echo "== all $rounds rounds passed"
