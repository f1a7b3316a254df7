# Sourced by the scripts that wait for a desktop to come up.

# Polls a command until it succeeds or the deadline (seconds) passes.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@" >/dev/null 2>&1; do
    ((SECONDS < deadline)) || return 1
    sleep 0.05
  done
}
