#!/usr/bin/env bash
# run-fuzzers.sh <build-dir> <seconds>: runs every fuzz_* target of the build
# for the given time, seeded from fuzz/corpus/<name>/ (read only; new inputs
# go to a scratch folder). A crash fails the run. The command-sequence target
# opens a window: without a display the whole run goes under Xvfb.
set -euo pipefail
if [ -z "${DISPLAY:-}" ] && [ -z "${VELTRIC_FUZZ_XVFB:-}" ]; then
  export VELTRIC_FUZZ_XVFB=1
  exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$0" "$@"
fi
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
  # The leak check ignores only what libX11 keeps for itself, and what a
  # target's own fuzz/<name>.lsan.supp names.
  supp="$root/scripts/lsan.supp"
  [ -f "$root/fuzz/$name.lsan.supp" ] && supp="$root/fuzz/$name.lsan.supp"
  export LSAN_OPTIONS="suppressions=$supp:print_suppressions=0"
  echo "-- fuzz_$name"
  if ! (cd "$scratch" && "$exe" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=0 \
        -artifact_prefix="$scratch/" "$scratch" "${seeds[@]}" > "$scratch/log" 2>&1); then
    tail -n 60 "$scratch/log"
    status=1
  fi
  rm -rf "$scratch"
done
exit $status
