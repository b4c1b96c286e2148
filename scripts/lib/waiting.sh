# Waiting on conditions with deadlines, for the end-to-end scripts on both
# targets (a busy machine answers late, not never). Sourced.

e2e_gone() { ! kill -0 "$1" 2>/dev/null; }

# Milliseconds of the wall clock.
e2e_now_ms() { local t=${EPOCHREALTIME//[!0-9]/}; echo $((10#$t / 1000)); }

# wait_for SECONDS COMMAND...: polls COMMAND until it succeeds or SECONDS of
# wall-clock time have passed (however long each try takes).
wait_for() {
  local deadline=$(($(e2e_now_ms) + $1 * 1000))
  shift
  while ! "$@"; do
    [ "$(e2e_now_ms)" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# holds_for SECONDS COMMAND...: COMMAND keeps succeeding for SECONDS (a state
# that must not change, watched rather than slept through).
holds_for() {
  local deadline=$(($(e2e_now_ms) + $1 * 1000))
  shift
  while [ "$(e2e_now_ms)" -lt "$deadline" ]; do
    "$@" || return 1
    sleep 0.05
  done
}
