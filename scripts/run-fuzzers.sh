#!/usr/bin/env bash
# run-fuzzers.sh <build-dir> <seconds>: runs every fuzz_* target of the build
# for the given time, seeded from fuzz/corpus/<name>/ (read only; new inputs
# go to a scratch folder). A crash fails the run.
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
shopt -s nullglob
for exe in $(find "$build" -maxdepth 3 -type f -name 'fuzz_*' -perm -u+x | sort); do
  name=$(basename "$exe")
  name=${name#fuzz_}
  scratch=$(mktemp -d)
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds+=("$root/fuzz/corpus/$name")
  echo "-- fuzz_$name"
  if ! (cd "$scratch" && "$exe" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=0 \
        "$scratch" "${seeds[@]}" > "$scratch/log" 2>&1); then
    tail -n 60 "$scratch/log"
    status=1
  fi
  rm -rf "$scratch"
done
exit $status
