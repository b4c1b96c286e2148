#!/usr/bin/env bash
# End to end: a folder picker that writes its answer without end (`yes PATH`)
# neither grows the installer nor keeps it waiting: the path box gets the
# first line, and Install records that location.
# usage: picker-e2e.sh BUILD_DIR OUT_DIR [DPI]
set -euo pipefail
. "$(dirname "$0")/../../scripts/lib/session.sh"
e2e_own_network "$0" "$@"
. "$(dirname "$0")/../../scripts/lib/installer.sh"
installer_test_setup "$@"
export ZELQA_STANDIN_SCENARIO=stall57
printf '#!/bin/sh\nexec yes %s\n' "$work/prefix/drive_c/Picked" >"$work/picker"
chmod +x "$work/picker"
export ZELQA_FOLDER_PICKER=$work/picker
start_host
start_xvfb "$dpi"
start_installer

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$app/status"; }
click_at 540 354   # 更改
# The picker is ended once its first line is read; meanwhile the installer's
# memory is watched.
picker_gone() { ! pgrep -f "^yes $work/" >/dev/null; }
peak=0
watch_memory() {
  local now
  now=$(rss_kib)
  [ "$now" -le "$peak" ] || peak=$now
  picker_gone
}
wait_for 20 watch_memory || fail "the picker still runs"
holds_for 1 watch_memory || true
[ "$peak" -lt $((40 * 1024)) ] || fail "the installer grew to $peak KiB while the picker wrote"
shot 01-picked

click_at 300 230
expect_page 30 "progress *" "after Install"
wait_for 10 test -n "$(record_value Path)" || fail "no install record"
[ "$(record_value Path)" = 'C:\Picked\Zelqa' ] || fail "install record Path is '$(record_value Path)'"
echo "picker-e2e: passed at $dpi DPI (peak $peak KiB); screenshots in $out"
