#!/usr/bin/env bash
# End to end: following the full installer. One that holds at 57 keeps the
# progress page with the bar at 95 (90 plus a tenth of 57); one that ends by
# setting the record's Operation to UnInstall at 30 reaches the finish page,
# where Run closes the window though no launcher was installed.
# usage: monitor-e2e.sh BUILD_DIR OUT_DIR [DPI]
set -euo pipefail
. "$(dirname "$0")/../../scripts/lib/session.sh"
e2e_own_network "$0" "$@"
. "$(dirname "$0")/../../scripts/lib/installer.sh"
installer_test_setup "$@"
start_host
start_xvfb "$dpi"

# 1. Held at 57.
export ZELQA_STANDIN_SCENARIO=stall57
start_installer
click_at 300 230
wait_for 60 grep -q "Percent=57" "$download_dir/Zelqa/Percent.ini" 2>/dev/null || fail "the stand-in never reached 57"
expect_page 30 "progress 95" "with the full installer at 57"
holds_for 3 page_is "progress 95" || fail "the page left 95 while the full installer held at 57: '$page'"
shot 01-held-at-95
click_at 573 27
box_up
box_click 216 166   # 是
wait_for 15 app_gone || fail "installer still running after 是"
held=$(e2e_strays)
[ -n "$held" ] || fail "the held full installer did not keep running"
kill $held
wait_for 10 eval '[ -z "$(e2e_strays)" ]' || fail "the held full installer did not end"

# 2. UnInstall at 30, in a fresh prefix.
rm -rf "$work/prefix"
: >"$work/standin.log"
export ZELQA_STANDIN_SCENARIO=uninstall30
start_installer
click_at 300 230
expect_page 60 finish "after the full installer set UnInstall"
shot 02-finish-after-uninstall
[ "$(record_value Operation)" = UnInstall ] || fail "Operation is '$(record_value Operation)'"
grep -q "Operation = UnInstall at 30" "$work/standin.log" || fail "the stand-in did not end at 30: $(cat "$work/standin.log")"
[ ! -e "$download_dir/Zelqa/Percent.ini" ] || fail "the finish page left the progress file"
click_at 300 354   # 运行
wait_for 15 app_gone || fail "installer still running after Run"
[ ! -e "$ZELQA_STANDIN_MARKER" ] || fail "a launcher ran though none was installed"
echo "monitor-e2e: passed at $dpi DPI; screenshots in $out"
