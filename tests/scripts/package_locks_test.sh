#!/usr/bin/env bash
# Tests of scripts/package-locks.sh on lock files of its own: a helper holds
# write locks on them as apt-get and dpkg do (fcntl), and stand-ins of
# apt-get fail as it does when it finds a lock taken.
set -uo pipefail
source_dir=$1
. "$source_dir/scripts/package-locks.sh"

work=$(mktemp -d)
holder_pids=()
cleanup() {
  for p in "${holder_pids[@]}"; do kill "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
package_locks=("$work/lock-frontend" "$work/lock" "$work/lists-lock" "$work/archives-lock")
touch "${package_locks[@]}"
package_lock_poll=0.1

failures=0
check() { # check NAME COMMAND...
  if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}

# hold NAME FILES...: holds write locks on the files until $work/NAME.release
# exists; its pid is in $holder once it holds them all.
hold() {
  local name=$1
  shift
  python3 -c '
import fcntl, os, sys, time
name, files = sys.argv[1], sys.argv[2:]
held = [open(f, "r+") for f in files]
for f in held: fcntl.lockf(f, fcntl.LOCK_EX)
open(name + ".ready", "w").close()
while not os.path.exists(name + ".release"): time.sleep(0.05)
' "$work/$name" "$@" &
  holder=$!
  holder_pids+=("$holder")
  wait_for_file "$work/$name.ready"
}
release() { touch "$work/$1.release"; wait "$2"; }
# Waits for a file to appear, for at most a minute (a slow machine takes its time).
wait_for_file() { local i; for ((i = 0; i < 600; ++i)); do [ -e "$1" ] && return 0; sleep 0.1; done; return 1; }
wait_for_text() { local i; for ((i = 0; i < 600; ++i)); do grep -q "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done; return 1; }
count() { grep -c "$2" "$1" 2>/dev/null || true; }

# ---- free locks: the command runs at once, nothing is said
package_lock_said=0
out=$(package_run echo ran 2>&1)
check "free locks: the command runs and nothing else is said" [ "$out" = ran ]

# ---- held locks: one message naming the holder, the command once they are free
package_lock_said=0
hold a "$work/lock-frontend" "$work/archives-lock"
a=$holder
( package_run touch "$work/a.ran" ) > "$work/a.out" 2>&1 &
runner=$!
check "held locks: it says for whom it waits" wait_for_text "$work/a.out" "held by process $a (python3)"
check "held locks: the command waits" [ ! -e "$work/a.ran" ]
release a "$a"
wait "$runner"
check "held locks: status 0 once they are free" [ $? -eq 0 ]
check "held locks: the command ran" [ -e "$work/a.ran" ]
check "held locks: said once" [ "$(count "$work/a.out" waiting)" = 1 ]

# ---- locks held past the bound: a clear failure, the command never runs
package_lock_said=0
hold b "$work/lists-lock"
b=$holder
( package_lock_wait=1; package_run touch "$work/b.ran" ) > "$work/b.out" 2>&1
status=$?
release b "$b"
check "past the bound: status 1" [ "$status" -eq 1 ]
check "past the bound: it names the holder" grep -q "still held after 1 s, by process $b (python3)" "$work/b.out"
check "past the bound: the command did not run" [ ! -e "$work/b.ran" ]

# ---- a lock taken between the look and the start: run again
package_lock_said=0
cat > "$work/apt-lost-race" <<'STANDIN'
#!/usr/bin/env bash
n=$(($(cat "$1" 2>/dev/null || echo 0) + 1)); echo "$n" > "$1"
if [ "$n" -le 2 ]; then
  echo "E: Could not get lock /var/lib/apt/lists/lock. It is held by process 4242 (apt-get)" >&2
  echo "E: Unable to lock directory /var/lib/apt/lists/" >&2
  exit 100
fi
echo installed
STANDIN
chmod +x "$work/apt-lost-race"
package_run "$work/apt-lost-race" "$work/c.count" > "$work/c.out" 2>&1
status=$?
check "lost race: status 0 in the end" [ "$status" -eq 0 ]
check "lost race: run three times" [ "$(cat "$work/c.count")" = 3 ]
check "lost race: said once, naming apt's holder" [ "$(count "$work/c.out" "waiting.*held by process 4242 (apt-get)")" = 1 ]
check "lost race: the failed runs' errors are not shown" [ "$(count "$work/c.out" "Could not get lock")" = 0 ]

# ---- a failure that is not about a lock: run once, its status and error kept
package_lock_said=0
cat > "$work/apt-broken" <<'STANDIN'
#!/usr/bin/env bash
n=$(($(cat "$1" 2>/dev/null || echo 0) + 1)); echo "$n" > "$1"
echo "E: Unable to locate package no-such-package" >&2
exit 100
STANDIN
chmod +x "$work/apt-broken"
package_run "$work/apt-broken" "$work/d.count" > "$work/d.out" 2>&1
status=$?
check "other failure: its status" [ "$status" -eq 100 ]
check "other failure: run once" [ "$(cat "$work/d.count")" = 1 ]
check "other failure: its error shown" grep -q "Unable to locate package" "$work/d.out"
check "other failure: no waiting" [ "$(count "$work/d.out" waiting)" = 0 ]

echo "$failures failed"
[ "$failures" -eq 0 ]
