# Sourced by install-deps.sh: runs package commands once the package locks
# are free.
#
# apt-get and dpkg hold write locks (fcntl) on these files while they work. A
# second package run, or the automatic updates a fresh machine runs in its
# first minutes, makes another one fail at once ("Could not get lock"). Each
# command given to package_run waits until no process holds them, says once
# for whom it waits, and gives up with a clear message after
# package_lock_wait seconds (INSTALL_DEPS_LOCK_WAIT, default 10 minutes).
package_locks=(/var/lib/dpkg/lock-frontend /var/lib/dpkg/lock
               /var/lib/apt/lists/lock /var/cache/apt/archives/lock)
package_lock_wait=${INSTALL_DEPS_LOCK_WAIT:-600}
package_lock_poll=2    # seconds between two looks
package_lock_said=0

# Prints "process PID (COMMAND)" for each process that holds one of the
# locks, one a line.
package_lock_holders() {
  local f major minor inode keys=""
  for f in "${package_locks[@]}"; do
    [ -e "$f" ] || continue
    # /proc/locks names a file as MAJOR:MINOR:INODE, the device in hex.
    read -r major minor inode < <(stat -L -c '%Hd %Ld %i' "$f")
    keys+=$(printf ' %02x:%02x:%s' "$major" "$minor" "$inode")
  done
  [ -n "$keys" ] && [ -r /proc/locks ] || return 0
  local pid
  # A line with "->" is a process waiting for the lock, not holding it.
  awk -v keys="$keys" 'BEGIN { n = split(keys, k, " "); for (i = 1; i <= n; ++i) want[k[i]] = 1 }
                       $2 != "->" && ($6 in want) { print $5 }' /proc/locks | sort -u |
    while read -r pid; do
      if [ "$pid" -gt 0 ] 2>/dev/null; then
        echo "process $pid ($(cat "/proc/$pid/comm" 2>/dev/null || echo gone))"
      else
        echo "a process of another namespace"
      fi
    done
}

# Says once in a run that it waits, and for whom.
package_lock_say() {
  if [ "$package_lock_said" -eq 0 ]; then
    echo "install-deps: waiting for the package locks, held by $1 (at most ${package_lock_wait} s)"
    package_lock_said=1
  fi
}

package_lock_give_up() {
  echo "install-deps: the package locks are still held after ${package_lock_wait} s, by $1;" \
       "run this again once it has finished" >&2
}

# package_wait_for_locks DEADLINE: returns once the locks are free, or fails
# at DEADLINE (seconds since the epoch).
package_wait_for_locks() {
  local holders
  while holders=$(package_lock_holders | paste -sd, - | sed 's/,/, /g'); [ -n "$holders" ]; do
    if [ "$(date +%s)" -ge "$1" ]; then
      package_lock_give_up "$holders"
      return 1
    fi
    package_lock_say "$holders"
    sleep "$package_lock_poll"
  done
}

# package_run COMMAND...: runs the command once the locks are free. A
# process can still take a lock between the look and the start (apt-get
# update, apt-get download and dpkg do not wait for one themselves): a run
# that fails on a lock is started again while the wait has time left. Its
# error output is shown once it is not run again.
package_run() {
  local deadline=$(($(date +%s) + package_lock_wait)) log status held
  log=$(mktemp)
  while :; do
    if ! package_wait_for_locks "$deadline"; then
      rm -f "$log"
      return 1
    fi
    status=0
    "$@" 2> "$log" || status=$?
    held=$(grep -m 1 -E 'Could not get lock|Unable to acquire|Unable to lock|lock was locked by another process' "$log" || true)
    if [ "$status" -ne 0 ] && [ -n "$held" ]; then
      # The message names the holder when the locks could not be read.
      held=$(sed -n 's/.*held by \(process [0-9]* ([^)]*)\).*/\1/p' <<< "$held")
      if [ "$(date +%s)" -lt "$deadline" ]; then
        package_lock_say "${held:-another package run}"
        sleep "$package_lock_poll"
        continue
      fi
      package_lock_give_up "${held:-another package run}"
    fi
    cat "$log" >&2
    rm -f "$log"
    return "$status"
  done
}
