#!/usr/bin/env bash
# End to end: closing the installer while it downloads, and while it follows
# a full installer that never finishes, ends the installer cleanly; the full
# installer keeps running and no partial download is left.
# usage: close-e2e.sh BUILD_DIR OUT_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
out=$2
mkdir -p "$out"

work=$(mktemp -d)
export ZELQA_PREFIX=$work/prefix
export ZELQA_OPENER=/bin/true
export NO_PROXY=localhost,127.0.0.1 no_proxy=localhost,127.0.0.1
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  pkill -f "$work/prefix" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
wait_for() { local t=$1; shift; for _ in $(seq $((t * 10))); do "$@" && return 0; sleep 0.1; done; return 1; }

display=:$((500 + RANDOM % 400))
Xvfb "$display" -screen 0 1600x1200x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
wait_for 10 xdpyinfo >/dev/null 2>&1 || fail "no X server"

host=""
start_host() {
  [ -n "$host" ] && kill "$host" 2>/dev/null && wait "$host" 2>/dev/null || true
  "$build/zelqa-vendor-host" "$@" >"$work/host.log" 2>&1 &
  host=$!
  pids+=($host)
  wait_for 10 grep -q listening "$work/host.log" || fail "vendor host did not start"
}

app=""
start_installer() {
  "$build/zelqa-setup" >"$work/setup.log" 2>&1 &
  app=$!
  pids+=($app)
  win=""
  for _ in $(seq 300); do
    win=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | head -n1 || true)
    [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || fail "installer window did not appear"
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$win")"
  wx=$X; wy=$Y
}
click() { xdotool mousemove $((wx + $1)) $((wy + $2)); sleep 0.1; xdotool click 1; }

confirm_close() {
  click 573 27
  local box=""
  for _ in $(seq 100); do
    box=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | grep -v "^$win$" | head -n1 || true)
    [ -n "$box" ] && break
    sleep 0.1
  done
  [ -n "$box" ] || fail "no question box"
  eval "$(xdotool getwindowgeometry --shell "$box")"
  xdotool mousemove $((X + 216)) $((Y + 166)); sleep 0.1; xdotool click 1   # 是
}

installer_exited() { ! kill -0 "$app" 2>/dev/null; }

# 1. Closing during a slow download.
start_host --mode trickle --trickle-bytes 2048 --trickle-interval-ms 200
start_installer
click 300 230
wait_for 10 test -d "$work/prefix/drive_c/brovix" || fail "download did not start"
sleep 1
import -window root -crop 600x400+$wx+$wy "$out/01-downloading.png"
confirm_close
wait_for 10 installer_exited || fail "installer still running after closing during the download"
wait "$app" || fail "installer exited with status $? after closing during the download"
leftovers=$(ls -A "$work/prefix/drive_c/brovix")
[ -z "$leftovers" ] || fail "download left files behind: $leftovers"

# 2. Closing while a full installer that stalls at 57 is followed.
start_host
export ZELQA_STANDIN_SCENARIO=stall57 ZELQA_STANDIN_SECONDS=1
start_installer
click 300 230
wait_for 30 grep -q "Percent=57" "$work/prefix/drive_c/brovix/Zelqa/Percent.ini" 2>/dev/null || fail "never reached 57"
sleep 0.5
import -window root -crop 600x400+$wx+$wy "$out/02-stalled-at-57.png"
confirm_close
wait_for 10 installer_exited || fail "installer still running after closing during the installation"
wait "$app" || fail "installer exited with status $? after closing during the installation"
pgrep -f "$work/prefix/drive_c/brovix/ZELQACONVERT.exe" >/dev/null || fail "the full installer did not keep running"
echo "close-e2e: passed; screenshots in $out"
