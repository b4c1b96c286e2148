#!/usr/bin/env bash
# End to end: the window never waits for the program that opens a page. With
# an opener that takes 10 s to answer, a click on 许可协议 leaves the window
# at the user's disposal: the close button's question shows at once, more
# clicks on the link while the first is pending are ignored, and SIGTERM
# ends the installer at once.
# usage: opener-e2e.sh BUILD_DIR OUT_DIR [DPI]
set -euo pipefail
. "$(dirname "$0")/../../scripts/lib/session.sh"
e2e_own_network "$0" "$@"
. "$(dirname "$0")/../../scripts/lib/installer.sh"
installer_test_setup "$@"
printf '#!/bin/sh\necho "$@" >> %s/opened.txt\nexec sleep 10\n' "$work" >"$work/opener"
start_host
start_xvfb "$dpi"
start_installer

click_at 165 287   # 许可协议
wait_for 10 test -s "$work/opened.txt" || fail "the licence link started no opener"
# Timed from the click's arrival on the server (xdotool's own start aside).
click_at 573 27
started=$(e2e_now_ms)
wait_for 10 box_found || fail "no question after the close button"
asked=$(($(e2e_now_ms) - started))
box_up
[ "$asked" -lt 500 ] || fail "the question took $asked ms to show while the opener ran"
box_click 332 166  # 否
wait_for 10 box_gone || fail "question box still open after 否"
click_at 165 287
click_at 165 287
holds_for 1 test "$(wc -l <"$work/opened.txt")" -eq 1 ||
  fail "clicks while the page was being opened opened it again: $(cat "$work/opened.txt")"
expect_page 10 welcome "after the licence clicks"

started=$(e2e_now_ms)
kill -TERM "$app"
wait_for 10 app_gone || fail "installer still running 10 s after SIGTERM"
ended=$(($(e2e_now_ms) - started))
[ "$ended" -lt 1000 ] || fail "SIGTERM took $ended ms to end the installer while the opener ran"
echo "opener-e2e: passed at $dpi DPI (question after $asked ms, SIGTERM to exit $ended ms)"
