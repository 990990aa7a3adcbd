# What the stages that run real sessions share: waiting for a condition and
# stopping a process they started. Sourced by scripts/stages/40-gtk.sh and
# 45-desktop.sh.

# wait_for SECONDS COMMAND...: polls until the command succeeds.
wait_for() {
  local end=$((SECONDS + $1)); shift
  until "$@"; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.1
  done
}

# stop PID: TERM, then KILL after 3 s.
stop() {
  local pid=$1
  [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null || return 0
  kill "$pid" 2>/dev/null
  wait_for 3 eval "! kill -0 $pid 2>/dev/null" || kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  return 0
}
