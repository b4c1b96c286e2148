#!/usr/bin/env bash
# End to end under Wine: the cross-built installer on a virtual X server at
# DPI, driven only by pointer input at the design's coordinates, shows its
# welcome page, asks before closing and stays on "否", installs the stand-in
# full installer served by the local vendor host, records the location in the
# 32-bit registry view and starts the stand-in launcher with Run, through the
# desktop's shell. Pages are read from the screen's pixels.
# usage: install-e2e.sh ZelqaSetup.exe zelqa-standin.exe VENDOR_HOST OUT_DIR DPI
# (in the environment: WINEPREFIX, the prefix made by wine-prefix.sh)
. "$(dirname "$0")/../../../scripts/lib/wine-session.sh"
wine_test_setup "$@"
# Long enough for the progress page to be seen however busy the machine is.
export ZELQA_STANDIN_SECONDS=6
export ZELQA_STANDIN_LOG="Z:${work//\//\\}\\standin.log"
unset ZELQA_STANDIN_MARKER ZELQA_STANDIN_SCENARIO
wine_session_begin
# About 650 KB/s: the download takes a few seconds, so the bar can be seen
# moving through the download's share.
start_host --payload "$standin_exe" --mode trickle --trickle-bytes 65536 --trickle-interval-ms 100
start_installer
snap

# --- The welcome page, centred on the screen at its scaled size.
shot 01-welcome
[ $((wx - (screen_w - ww) / 2)) -ge -1 ] && [ $((wx - (screen_w - ww) / 2)) -le 1 ] &&
  [ $((wy - (screen_h - wh) / 2)) -ge -1 ] && [ $((wy - (screen_h - wh) / 2)) -le 1 ] ||
  fail "a ${ww}x${wh} window at $wx,$wy is not centred on the ${screen_w}x${screen_h} screen"
# The background is the welcome picture stretched to the window: its sky, the
# product icon, and the white below the waves.
for point in "560 150" "289 106" "268 88" "30 300"; do
  near "$(rgb_at $point)" "$(art_rgb 137 $point)" ||
    fail "welcome background at ($point) is $(rgb_at $point), the picture has $(art_rgb 137 $point)"
done
# The title's ink is centred on the designed width, under the icon.
ink=$(count_colour 100 137 400 25 "$INK" 40)
[ "$ink" -ge "$(S 60)" ] || fail "the title shows $ink pixels of ink"
read -r lo hi < <(ink_span 100 137 400 25 "$INK" 40)
centre=$(((lo + hi) / 2 - wx))
[ $((centre - $(S 300))) -ge "-$(S 3)" ] && [ $((centre - $(S 300))) -le "$(S 3)" ] ||
  fail "the title's ink spans $((lo - wx))..$((hi - wx)), centred at $centre, not $(S 300)"
# The Install pill, filled, with a white caption; nothing of it outside its box.
near "$(rgb_at 226 230)" "$PILL" || fail "no Install pill at (226, 230): $(rgb_at 226 230)"
near "$(rgb_at 374 230)" "$PILL" || fail "the Install pill does not reach (374, 230): $(rgb_at 374 230)"
caption=$(count_colour 250 215 100 30 "$WHITE" 30)
[ "$caption" -ge "$(S 40)" ] || fail "the Install caption shows $caption white pixels"
near "$(rgb_at 300 206)" "$PILL" 40 && fail "the Install pill reaches above y 210"

# --- The close button asks first; "否" keeps the installer.
click_at 573 27
wait_for 20 box_found || fail "no question after the close button"
[ "$bw" -eq "$(S 400)" ] && [ "$bh" -eq "$(S 200)" ] || fail "question box is ${bw}x${bh}"
# Centred over the wizard.
[ $((bx - wx - (ww - bw) / 2)) -ge -1 ] && [ $((bx - wx - (ww - bw) / 2)) -le 1 ] &&
  [ $((by - wy - (wh - bh) / 2)) -ge -1 ] && [ $((by - wy - (wh - bh) / 2)) -le 1 ] ||
  fail "question box at $bx,$by is not centred over the wizard at $wx,$wy"
question_painted() {
  snap && near "$(box_rgb_at 200 30)" "$BAND" 4 && near "$(box_rgb_at 200 120)" "$WHITE" 4 &&
    near "$(box_rgb_at 300 166)" "$PILL" && [ "$(BOX=1 count_colour 35 78 330 24 "$INK" 40)" -ge "$(S 80)" ]
}
wait_for 10 question_painted ||
  fail "question box: band $(box_rgb_at 200 30), body $(box_rgb_at 200 120), 否 $(box_rgb_at 300 166), text ink $(BOX=1 count_colour 35 78 330 24 "$INK" 40)"
box_grab "$out/02-question.png"
box_click 332 166
wait_for 10 box_gone || fail "question box still open after 否"
holds_for 1 kill -0 "$app" || fail "installer ended after 否"
expect_page 10 welcome "after 否"
[ ! -e "$download_dir" ] || fail "the question alone created $download_dir"

# --- Install: download, launch, monitor, finish.
click_at 300 230
expect_page 30 "progress *" "after Install"
# The bar rises through the download's share (below 90), then through the
# installation's (90 and above) while the stand-in reports its progress.
downloading() { page_is "progress *" && p=${page#progress } && [ "$p" -ge 1 ] && [ "$p" -lt 90 ]; }
wait_for 60 downloading || fail "the bar never showed the download under way (at ${p:-?}%)"
shot 03-progress
installing() { page_is "progress *" && p=${page#progress } && [ "$p" -ge 90 ]; }
wait_for 60 installing || fail "the bar never reached the installation's share (at ${p:-?}%)"
shot 03-installing
expect_page 120 finish "after the installation"
shot 04-finish
snap
ink=$(count_colour 256 105 200 40 "68 68 68" 40)
[ "$ink" -ge "$(S 80)" ] || fail "the finish headline shows $ink pixels of ink"

path=$(record_value Path)
[ "$path" = 'C:\Program Files (x86)\brovix\Zelqa' ] || fail "install record Path (32-bit view) is '$path'"
record_has Operation || fail "install record has no Operation value"
cmp -s "$download_dir/ZELQACONVERT.exe" "$standin_exe" || fail "the downloaded installer differs from what the host served"
[ ! -e "$download_dir/Zelqa/Percent.ini" ] || fail "the finish page left the progress file"
[ -f "$install_dir/brovixStart.exe" ] || fail "the stand-in installed no launcher in $install_dir"
[ ! -e "$install_dir/launched.txt" ] || fail "the launcher ran before Run"

# --- Run starts the launcher in the recorded location and closes the installer.
click_at 300 354
wait_for 30 test -s "$install_dir/launched.txt" || fail "the launcher did not run"
# Handed to the desktop's shell, so it runs as the user, not elevated by us.
started_by=$(tr -d '\r\n' <"$install_dir/launched-by.txt")
[ "${started_by,,}" = explorer.exe ] || fail "the launcher was started by '$started_by', not by the desktop's shell"
wait_for 20 app_gone || fail "installer still running after Run"
echo "install-e2e (Wine): passed at $dpi DPI; screenshots in $out"
