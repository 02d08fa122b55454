#!/usr/bin/env bash
# fuzz-long.sh TARGET WORKERS MINUTES: a long run of one fuzz target, outside
# CI. WORKERS separate processes of build-fuzz/…/fuzz_TARGET fuzz for MINUTES
# over one shared corpus folder, seeded from fuzz/corpus/TARGET (which stays
# untouched: merge what the run grew into it afterwards with -merge=1, as
# printed at the end; -use_counters=0 keeps only inputs that reach new code,
# not every new hit count, so that the committed corpus stays small). At the end it prints, for each worker, its executions,
# coverage and peak memory (libFuzzer's final stats) and every finding's
# reproducer; the exit status is 1 when there was a finding.
#
# Environment: FUZZ_BUILD (default build-fuzz), FUZZ_LONG_OUT (default
# build-fuzz/long/TARGET-<time>), FUZZ_RSS_MB (default 2048 per worker),
# FUZZ_TIMEOUT (seconds per input, default 300), FUZZ_BUSY_LOOPS (default 0:
# that many shell loops that only spin run beside the workers for the whole
# run, to check that a loaded machine gives no finding; "commands 4 15" with
# FUZZ_BUSY_LOOPS=4 fills the 8 cores of the project's machines).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)

# Targets that open a window: each of their workers gets an X server of its
# own (when there is no display), started here and living as long as it.
needs_display() { [ "$1" = commands ]; }

# ---- one worker: runs the target until its time is over ---------------------
# A finding ends a libFuzzer process; the worker then starts the target again
# for the time left, so that one early crash does not idle a core for the
# rest of the run. Each process's log is kept; the summary adds them up.
if [ "${1:-}" = --worker ]; then
  exe=$2 corpus=$3 findings=$4 dir=$5 deadline=$6
  cd "$dir" # the command target writes files in its current directory
  run=0
  while :; do
    left=$((deadline - $(date +%s)))
    [ "$left" -ge 10 ] || break
    run=$((run + 1))
    # Only the worker's own findings carry its prefix, so reproducers of the
    # workers never overwrite each other.
    "$exe" -max_total_time="$left" -rss_limit_mb="${FUZZ_RSS_MB:-2048}" \
      -timeout="${FUZZ_TIMEOUT:-300}" -print_final_stats=1 \
      -artifact_prefix="$findings/$(basename "$dir")-" "$corpus" > "$dir/run-$run.log" 2>&1 || true
  done
  exit 0
fi

if [ $# -ne 3 ]; then
  echo "usage: $0 TARGET WORKERS MINUTES" >&2
  exit 2
fi
target=$1 workers=$2 minutes=$3
build=$(cd "${FUZZ_BUILD:-$root/build-fuzz}" && pwd)
exe=$(find "$build" -maxdepth 3 -type f -name "fuzz_$target" -perm -u+x | head -n 1)
if [ -z "$exe" ]; then
  echo "no fuzz_$target in $build (configure with -DVELTRIC_FUZZ=ON and build it)" >&2
  exit 2
fi

out=${FUZZ_LONG_OUT:-$build/long/$target-$(date +%Y%m%d-%H%M%S)}
mkdir -p "$out/corpus" "$out/findings"
out=$(cd "$out" && pwd)
# The run works on a copy: the committed corpus changes only by a merge.
if [ -d "$root/fuzz/corpus/$target" ]; then
  cp -n "$root/fuzz/corpus/$target"/* "$out/corpus/" 2>/dev/null || true
fi

# The leak check ignores only what libX11 keeps for itself, and what the
# target's own fuzz/TARGET.lsan.supp names (as scripts/run-fuzzers.sh does).
supp="$root/scripts/lsan.supp"
[ -f "$root/fuzz/$target.lsan.supp" ] && supp="$root/fuzz/$target.lsan.supp"
export LSAN_OPTIONS="suppressions=$supp:print_suppressions=0"

deadline=$(($(date +%s) + minutes * 60))
pids=()
busy=()
stop_busy() {
  for p in "${busy[@]}"; do kill -TERM "$p" 2>/dev/null || true; done
  busy=()
}
stop() {
  # Each worker leads its own process group (setsid): stop the group, so its
  # X server and fuzzer go with it.
  for p in "${pids[@]}"; do kill -TERM -- "-$p" 2>/dev/null || true; done
  stop_busy
}
trap 'stop; exit 130' INT TERM

for ((i = 0; i < ${FUZZ_BUSY_LOOPS:-0}; ++i)); do
  bash -c 'while :; do :; done' &
  busy+=($!)
done
[ ${#busy[@]} -eq 0 ] || echo "beside ${#busy[@]} busy loops"

echo "fuzz_$target: $workers workers x $minutes min, corpus $out/corpus"
for ((w = 1; w <= workers; ++w)); do
  dir="$out/worker-$w"
  mkdir -p "$dir"
  cmd=("$0" --worker "$exe" "$out/corpus" "$out/findings" "$dir" "$deadline")
  if needs_display "$target" && [ -z "${DISPLAY:-}" ]; then
    # A server per worker (not -jobs, whose children would share one):
    # -noreset keeps it up between the fuzzer's connections. xvfb-run -a picks
    # a free display by the lock files of the running servers, so the workers
    # start one after another, each once the server before is up (its fuzzer
    # has started and opened its log).
    cmd=(xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "${cmd[@]}")
  fi
  setsid "${cmd[@]}" < /dev/null > "$dir/worker.log" 2>&1 &
  pids+=($!)
  for ((i = 0; i < 300 && w < workers; ++i)); do
    [ -e "$dir/run-1.log" ] && break
    sleep 0.1
  done
done
for p in "${pids[@]}"; do wait "$p" || true; done
stop_busy
trap - INT TERM

# ---- summary ------------------------------------------------------------------
# stat:: lines come from -print_final_stats=1 (one set per fuzzer process);
# cov/ft are taken from the last status line of the worker's last process.
stat() { grep -h "^stat::$1:" "$2"/run-*.log 2>/dev/null | awk '{s += $2} END {print s + 0}'; }
statmax() { grep -h "^stat::$1:" "$2"/run-*.log 2>/dev/null | awk '$2 > m {m = $2} END {print m + 0}'; }
printf '\n%-9s %5s %12s %8s %8s %10s\n' worker runs execs cov ft peak_rss_mb
for ((w = 1; w <= workers; ++w)); do
  dir="$out/worker-$w"
  runs=$(ls "$dir"/run-*.log 2>/dev/null | wc -l)
  last=$(ls -v "$dir"/run-*.log 2>/dev/null | tail -n 1)
  line=$( [ -n "$last" ] && grep -a -E '^#[0-9]+.*cov: ' "$last" | tail -n 1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<< "$line")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<< "$line")
  printf '%-9s %5s %12s %8s %8s %10s\n' "worker-$w" "$runs" "$(stat number_of_executed_units "$dir")" \
    "${cov:--}" "${ft:--}" "$(statmax peak_rss_mb "$dir")"
done
echo "corpus: $(ls "$out/corpus" | wc -l) files, $(du -sb "$out/corpus" | cut -f1) bytes in $out/corpus"

# Slow units are reported by libFuzzer but are not failures.
shopt -s nullglob
found=()
for f in "$out/findings"/*; do
  case $(basename "$f") in *slow-unit-*) echo "slow unit: $f" ;; *) found+=("$f") ;; esac
done
if [ ${#found[@]} -eq 0 ]; then
  echo "findings: none"
else
  echo "findings: ${#found[@]}"
  for f in "${found[@]}"; do
    echo "  $f"
    # The first report line of the run that wrote it says what it was.
    log=$(grep -l -F "$f" "$out"/worker-*/run-*.log 2>/dev/null | head -n 1 || true)
    # A step the command target's watchdog stopped is named on the line
    # before its crash report.
    [ -n "$log" ] && grep -a -m 1 -E 'has used [0-9]+ ms of processor time|has not ended after|^==[0-9]+==ERROR|^SUMMARY|runtime error|fuzzer:|deadly signal|ERROR: libFuzzer' "$log" | sed 's/^/    /'
  done
fi
echo "merge into the committed corpus: $exe -merge=1 -use_counters=0 $root/fuzz/corpus/$target $out/corpus"
[ ${#found[@]} -eq 0 ]
