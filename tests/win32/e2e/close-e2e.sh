#!/usr/bin/env bash
# End to end under Wine: closing the installer while it downloads (the vendor
# host trickling the file) and confirming with "是" ends the installer and
# leaves nothing of the transfer in the download folder.
# usage: close-e2e.sh ZelqaSetup.exe zelqa-standin.exe VENDOR_HOST OUT_DIR DPI
# (in the environment: WINEPREFIX, the prefix made by wine-prefix.sh)
. "$(dirname "$0")/../../../scripts/lib/wine-session.sh"
wine_test_setup "$@"
unset ZELQA_STANDIN_MARKER ZELQA_STANDIN_SCENARIO ZELQA_STANDIN_SECONDS
wine_session_begin
# About 20 KB/s: the stand-in takes minutes to arrive.
start_host --payload "$standin_exe" --mode trickle --trickle-bytes 4096 --trickle-interval-ms 200
start_installer

click_at 300 230
expect_page 30 "progress *" "after Install"
# Under way: the host is sending, the bar has left 0 (its fill reaches the
# bar's left end, x 40 to 44 at 1 percent) and the transfer is writing into
# the download folder (else finding it empty afterwards would prove nothing).
transferring() {
  grep -q 'ZELQACONVERT_Download' "$work/host.log" && [ -n "$(ls -A "$download_dir" 2>/dev/null)" ] &&
    page_is "progress *" && [ "${page#progress }" -ge 1 ]
}
wait_for 60 transferring || fail "the download never got under way: the window shows '$page'"
shot 01-downloading
echo "download folder during the transfer: $(ls -A "$download_dir" | tr '\n' ' ')"

click_at 573 27
wait_for 20 box_found || fail "no question after the close button during the download"
question_painted() { snap && near "$(box_rgb_at 300 166)" "$PILL"; }
wait_for 10 question_painted || fail "the question box never painted its buttons"
box_grab "$out/02-question.png"
box_click 216 166
wait_for 30 app_gone || fail "installer still running after 是 during the download"
leftovers=$(ls -A "$download_dir" 2>/dev/null || true)
[ -z "$leftovers" ] || fail "the cancelled download left in $download_dir: $leftovers"
path=$(record_value Path)
[ "$path" = 'C:\Program Files (x86)\brovix\Zelqa' ] || fail "install record Path (32-bit view) is '$path'"
echo "close-e2e (Wine): passed at $dpi DPI; screenshots in $out"
