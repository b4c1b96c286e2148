# Shared by the end-to-end scripts: a virtual X server, programs on it, and
# waiting on conditions (a busy machine answers late, not never).
# Sourced; the caller sets `work` (a scratch folder) first.

e2e_pids=()
e2e_cleanup() {
  for p in "${e2e_pids[@]}"; do kill "$p" 2>/dev/null || true; done
  [ -n "${work:-}" ] && { pkill -f "$work/" 2>/dev/null || true; }
  # The next run binds the same vendor port: wait until everything has gone.
  for p in "${e2e_pids[@]}"; do
    for _ in $(seq 50); do kill -0 "$p" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$p" 2>/dev/null || true
  done
  [ -n "${work:-}" ] && rm -rf "$work"
}
trap e2e_cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# wait_for SECONDS COMMAND...: polls until COMMAND succeeds.
wait_for() { local t=$1; shift; for _ in $(seq $((t * 10))); do "$@" && return 0; sleep 0.1; done; return 1; }

# start_xvfb DPI: a 1600x1200 screen at that DPI on a display Xvfb picks
# itself (so two runs never collide); exports DISPLAY.
start_xvfb() {
  local fifo="$work/displayfd"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1600x1200x24 -dpi "$1" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  e2e_pids+=($!)
  local number=""
  read -r -t 20 number <"$fifo" || true
  [ -n "$number" ] || fail "Xvfb did not start"
  export DISPLAY=:$number
  wait_for 10 xdpyinfo >/dev/null 2>&1 || fail "no X server on $DISPLAY"
}

# start_window LOG PROGRAM...: starts PROGRAM, waits for its first window and
# sets app (its pid), win (the window) and wx, wy, ww, wh (its geometry).
start_window() {
  local log=$1; shift
  "$@" >"$log" 2>&1 &
  app=$!
  e2e_pids+=($app)
  win=""
  # A first start builds the font cache and may take a while.
  for _ in $(seq 600); do
    win=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | head -n1 || true)
    [ -n "$win" ] && break
    sleep 0.1
  done
  if [ -z "$win" ]; then
    # Say where a program that never showed its window is stuck.
    command -v gdb >/dev/null && kill -0 "$app" 2>/dev/null &&
      gdb -p "$app" -batch -ex "thread apply all bt 12" >&2 2>/dev/null || true
    fail "no window from $1 (pid $app, $(kill -0 "$app" 2>/dev/null && echo running || echo gone)): $(cat "$log")"
  fi
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$win")"
  wx=$X; wy=$Y; ww=$WIDTH; wh=$HEIGHT
}

# second_window: the program's window that is not $win (a message box), or fails.
second_window() {
  local other=""
  for _ in $(seq 100); do
    other=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | grep -v "^$win$" | head -n1 || true)
    [ -n "$other" ] && { echo "$other"; return 0; }
    sleep 0.1
  done
  return 1
}

app_gone() { ! kill -0 "$app" 2>/dev/null; }
