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
. "$(dirname "$0")/xvfb-session.sh"
export ZELQA_PREFIX=$work/prefix
export ZELQA_OPENER=/bin/true
export NO_PROXY=localhost,127.0.0.1 no_proxy=localhost,127.0.0.1
start_xvfb 96

host=""
start_host() {
  if [ -n "$host" ]; then
    kill "$host" 2>/dev/null || true
    wait "$host" 2>/dev/null || true
  fi
  "$build/zelqa-vendor-host" "$@" >"$work/host.log" 2>&1 &
  host=$!
  e2e_pids+=($host)
  wait_for 10 grep -q listening "$work/host.log" || fail "vendor host did not start: $(cat "$work/host.log")"
}

start_installer() { start_window "$work/setup.log" "$build/zelqa-setup"; }
click() { xdotool mousemove $((wx + $1)) $((wy + $2)); sleep 0.1; xdotool click 1; }

confirm_close() {
  click 573 27
  local box
  box=$(second_window) || fail "no question box"
  eval "$(xdotool getwindowgeometry --shell "$box")"
  xdotool mousemove $((X + 216)) $((Y + 166)); sleep 0.1; xdotool click 1   # 是
}

# 1. Closing during a slow download.
start_host --mode trickle --trickle-bytes 2048 --trickle-interval-ms 200
start_installer
click 300 230
wait_for 10 test -d "$work/prefix/drive_c/brovix" || fail "download did not start"
sleep 1
import -window root -crop 600x400+$wx+$wy "$out/01-downloading.png"
confirm_close
wait_for 10 app_gone || fail "installer still running after closing during the download"
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
wait_for 10 app_gone || fail "installer still running after closing during the installation"
wait "$app" || fail "installer exited with status $? after closing during the installation"
pgrep -f "$work/prefix/drive_c/brovix/ZELQACONVERT.exe" >/dev/null || fail "the full installer did not keep running"
echo "close-e2e: passed; screenshots in $out"
