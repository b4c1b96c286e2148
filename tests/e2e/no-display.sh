#!/usr/bin/env bash
# A program started with no usable display says so in one line and exits
# non-zero at once, instead of running unseen. Usage: no-display.sh PROGRAM
set -uo pipefail
program="$1"
fail() { echo "FAIL: $*"; exit 1; }

check() {  # description, then the environment changes for env
  local what="$1"; shift
  local err; err="$(mktemp)"
  local start=$SECONDS
  env "$@" timeout 20 "$program" 2> "$err"
  local rc=$?
  local lines; lines=$(grep -c . "$err")
  [ $rc -ne 0 ] && [ $rc -ne 124 ] || fail "$what: exit code $rc"
  [ $((SECONDS - start)) -le 5 ] || fail "$what: took $((SECONDS - start)) s"
  [ "$lines" -eq 1 ] && grep -q "no display" "$err" || fail "$what: said: $(cat "$err")"
  echo "ok: $what ($(cat "$err"))"
  rm -f "$err"
}

check "nothing named" -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER
# A number far above what the tests' own Xvfb servers pick (the first free one
# counting up from 0), so a busy machine never has it.
check "an X display that is not there" -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=:59997
check "a driver that shows nothing" -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=offscreen
