#!/usr/bin/env bash
# End to end: closing the installer while it downloads, and while it follows
# a full installer that never finishes, ends the installer cleanly; the full
# installer keeps running and no partial download is left.
# A stop signal (SIGTERM, as a session ending sends) during a download closes
# the installer as the window manager's close does, with nothing left behind.
# usage: close-e2e.sh BUILD_DIR OUT_DIR
set -euo pipefail
. "$(dirname "$0")/../../scripts/lib/session.sh"
e2e_own_network "$0" "$@"
. "$(dirname "$0")/../../scripts/lib/installer.sh"
installer_test_setup "$1" "$2" 96
start_xvfb "$dpi"

confirm_close() {
  click_at 573 27
  box_up
  box_click 216 166   # 是
}

# 1. Closing during a slow download.
start_host --mode trickle --trickle-bytes 2048 --trickle-interval-ms 200
start_installer
click_at 300 230
wait_for 20 test -d "$download_dir" || fail "download did not start"
downloading() { page_is "progress [1-9]*"; }
wait_for 30 downloading || fail "the bar never moved during the download: '$page'"
shot 01-downloading
confirm_close
wait_for 15 app_gone || fail "installer still running after closing during the download"
wait "$app" || fail "installer exited with status $? after closing during the download"
leftovers=$(ls -A "$download_dir")
[ -z "$leftovers" ] || fail "download left files behind: $leftovers"

# 2. Closing while a full installer that stalls at 57 is followed.
start_host
export ZELQA_STANDIN_SCENARIO=stall57 ZELQA_STANDIN_SECONDS=1
start_installer
click_at 300 230
wait_for 30 grep -q "Percent=57" "$download_dir/Zelqa/Percent.ini" 2>/dev/null || fail "never reached 57"
expect_page 20 "progress 95" "with the full installer at 57"
shot 02-stalled-at-57
confirm_close
wait_for 15 app_gone || fail "installer still running after closing during the installation"
wait "$app" || fail "installer exited with status $? after closing during the installation"
[ -n "$(e2e_strays)" ] || fail "the full installer did not keep running"

# 3. SIGTERM on the welcome page, with nothing else to wake the window, and
# during a slow download.
for p in $(e2e_strays); do kill "$p" 2>/dev/null || true; done
unset ZELQA_STANDIN_SCENARIO
rm -rf "$download_dir"
start_installer
xdotool mousemove 0 0
sleep 0.5
kill -TERM "$app"
wait_for 10 app_gone || fail "installer on the welcome page still running 10 s after SIGTERM"
start_host --mode trickle --trickle-bytes 2048 --trickle-interval-ms 200
start_installer
click_at 300 230
wait_for 20 test -d "$download_dir" || fail "download did not start"
xdotool mousemove 0 0
kill -TERM "$app"
wait_for 10 app_gone || fail "installer still running 10 s after SIGTERM"
leftovers=$(ls -A "$download_dir")
[ -z "$leftovers" ] || fail "SIGTERM during the download left files behind: $leftovers"
echo "close-e2e: passed; screenshots in $out"
