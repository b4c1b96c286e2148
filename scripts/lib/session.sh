# Shared by the end-to-end scripts, the demo and the benchmarks, on Linux and
# under Wine: a virtual X server, programs on it, and waiting on conditions
# (a busy machine answers late, not never). Sourced first thing; then the
# caller runs `e2e_own_network "$0" "$@"` where it may, and sets `work` (a
# scratch folder, removed at exit).

e2e_pids=()
e2e_scratch=()        # more folders to remove at exit
e2e_cleanup_hooks=()  # commands run first at exit (a target's own clean-up)
app=""

# The programs must show their windows on our X server and nowhere else.
unset WAYLAND_DISPLAY SDL_VIDEODRIVER

# Processes running a program from the scratch folder: the full installers
# and launchers the installer started (they leave its process tree at once).
e2e_strays() {
  [ -n "${work:-}" ] && [ -d "$work" ] || return 0
  local p exe
  for p in /proc/[0-9]*; do
    exe=$(readlink "$p/exe" 2>/dev/null) || continue
    case $exe in "$work"/*) echo "${p#/proc/}" ;; esac
  done
}

# Ends what this run started, and what the installer started from the scratch
# folder.
e2e_stop_all() {
  local p all
  all=("${e2e_pids[@]}" $(e2e_strays))
  for p in "${all[@]}"; do kill "$p" 2>/dev/null || true; done
  # The next run binds the same vendor port and may reuse the display: wait
  # until everything has gone.
  for p in "${all[@]}"; do
    wait_for 5 e2e_gone "$p" || kill -9 "$p" 2>/dev/null || true
  done
  e2e_pids=()
}

e2e_cleanup() {
  local hook
  for hook in "${e2e_cleanup_hooks[@]}"; do "$hook" || true; done
  e2e_stop_all
  [ -n "${work:-}" ] && rm -rf "$work"
  for p in "${e2e_scratch[@]}"; do rm -rf "$p"; done
  return 0
}
trap e2e_cleanup EXIT
# Stopped from outside (a test timeout, Ctrl-C): clean up all the same.
trap 'exit 1' TERM INT HUP

fail() {
  echo "FAIL: $*" >&2
  # A program that ended on its own explains most failures that follow.
  if [ -n "$app" ] && ! kill -0 "$app" 2>/dev/null; then
    local status=0
    wait "$app" 2>/dev/null || status=$?
    echo "  (the program under test, pid $app, has ended with status $status)" >&2
    [ -z "${app_log:-}" ] || sed 's/^/  | /' "$app_log" | tail -n 40 >&2
  fi
  local log
  for log in standin host; do
    [ -f "${work:-}/$log.log" ] && sed "s/^/  $log | /" "$work/$log.log" | tail -n 20 >&2
  done
  if [ -n "${DISPLAY:-}" ] && [ -n "${out:-}" ] && [ ! -f "$out/failed-screen.png" ]; then
    import -window root "$out/failed-screen.png" 2>/dev/null && echo "  screen: $out/failed-screen.png" >&2
  fi
  exit 1
}

. "$(dirname "${BASH_SOURCE[0]}")/waiting.sh"

# e2e_own_network SCRIPT ARGS...: runs the calling script again in a network
# of its own. The vendor port is built into the installer, so two runs (or a
# run and someone's demo) would otherwise meet on it. Where namespaces are not
# allowed the run stays in the shared network.
e2e_own_network() {
  [ -n "${ZELQA_E2E_OWN_NETWORK:-}" ] && return 0
  local how
  for how in -n -rn; do
    if unshare $how -- sh -c 'ip link set lo up' 2>/dev/null; then
      exec env ZELQA_E2E_OWN_NETWORK=1 unshare $how -- sh -c 'ip link set lo up && exec "$@"' sh "$@"
    fi
  done
}

# in_further_network COMMAND...: COMMAND in yet another network of its own
# (inside ours the -n form always works), e.g. for a second vendor host.
in_further_network() {
  unshare -n -- sh -c 'ip link set lo up && exec "$@"' sh "$@"
}

# start_xvfb [DPI]: a 1600x1200 screen (screen_w, screen_h) at DPI ($dpi
# unless given) on a display Xvfb picks itself (so two runs never collide);
# exports DISPLAY. Without -noreset the server resets whenever its last
# client leaves, and a program connecting during that reset is refused: the
# installer then reports no display. The root is black, so a window that has
# not painted yet can be told.
start_xvfb() {
  local fifo="$work/displayfd"
  screen_w=1600 screen_h=1200
  rm -f "$fifo"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 ${screen_w}x${screen_h}x24 -dpi "${1:-$dpi}" -nolisten tcp -noreset -br \
    3>"$fifo" >"$work/xvfb.log" 2>&1 &
  e2e_pids+=($!)
  local number=""
  read -r -t 60 number <"$fifo" || true
  [ -n "$number" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=:$number
  wait_for 20 xdpyinfo >/dev/null 2>&1 || fail "no X server on $DISPLAY"
}

# The window's area on the screen is no longer the black root: it has painted.
e2e_window_painted() {
  local g cx cy
  g=$(xdotool getwindowgeometry --shell "$win" 2>/dev/null) || return 1
  eval "$g"
  [ "$WIDTH" -gt 1 ] || return 1
  # Geometry that has not changed since the last look (a page switch resizes).
  [ "$g" = "${e2e_last_geometry:-}" ] || { e2e_last_geometry=$g; return 1; }
  cx=$((X + WIDTH / 2)); cy=$((Y + HEIGHT / 2))
  [ "$(import -window root -crop "1x1+$cx+$cy" -depth 8 txt:- 2>/dev/null | sed -n '2s/.*#\([0-9A-F]\{6\}\).*/\1/p')" != 000000 ]
}

# The program's visible windows: found by its process, or by window_class
# where the process that owns the windows is not the one started (Wine).
window_class=""
e2e_windows() {
  if [ -n "$window_class" ]; then
    xdotool search --onlyvisible --class "$window_class" 2>/dev/null || true
  else
    xdotool search --onlyvisible --pid "$app" 2>/dev/null || true
  fi
}

e2e_window_found() {
  win=$(e2e_windows | head -n1)
  [ -n "$win" ] && return 0
  kill -0 "$app" 2>/dev/null || return 0
  return 1
}

# start_window LOG PROGRAM...: starts PROGRAM, waits for its first window to
# show and paint, and sets app (its pid), win (the window) and wx, wy, ww, wh
# (its geometry).
start_window() {
  local log=$1
  shift
  "$@" >"$log" 2>&1 &
  app=$!
  app_log=$log
  e2e_pids+=($app)
  win=""
  e2e_last_geometry=""
  # A first start builds the font cache and may take a while; a program that
  # has ended will not show a window however long we wait.
  if ! wait_for 120 e2e_window_found || [ -z "$win" ]; then
    # Say where a program that never showed its window is stuck.
    command -v gdb >/dev/null && kill -0 "$app" 2>/dev/null &&
      gdb -p "$app" -batch -ex "thread apply all bt 12" >&2 2>/dev/null || true
    fail "no window from $1 (pid $app, $(kill -0 "$app" 2>/dev/null && echo running || echo gone)) on $DISPLAY: $(cat "$log")"
  fi
  wait_for 30 e2e_window_painted || fail "window $win of $1 never painted"
  eval "$(xdotool getwindowgeometry --shell "$win")"
  wx=$X; wy=$Y; ww=$WIDTH; wh=$HEIGHT
}

# second_window: the program's window that is not $win (a message box), or fails.
e2e_other_window() {
  e2e_other=$(e2e_windows | grep -v "^$win$" | head -n1 || true)
  [ -n "$e2e_other" ]
}
second_window() {
  e2e_other=""
  wait_for 20 e2e_other_window || return 1
  echo "$e2e_other"
}
no_second_window() { ! e2e_other_window; }

app_gone() { ! kill -0 "$app" 2>/dev/null; }
