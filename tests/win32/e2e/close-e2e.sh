#!/usr/bin/env bash
# End to end under Wine: closing the installer while it downloads (the vendor
# host trickling the file) and confirming with "是" ends the installer and
# leaves nothing of the transfer in the download folder. Beforehand an
# attempt ended by a hard exit has left its part file in the download folder,
# and a standard user has put a DLL and a progress file saying 100 beside it:
# the next attempt uses a new folder, and moves the old one aside whole.
# usage: close-e2e.sh ZelqaSetup.exe zelqa-standin.exe VENDOR_HOST OUT_DIR DPI
# (in the environment: WINEPREFIX, the prefix made by wine-prefix.sh)
. "$(dirname "$0")/../../../scripts/lib/wine-session.sh"
wine_test_setup "$@"
unset ZELQA_STANDIN_MARKER ZELQA_STANDIN_SCENARIO ZELQA_STANDIN_SECONDS
wine_session_begin
# About 20 KB/s: the stand-in takes minutes to arrive.
start_host --payload "$standin_exe" --mode trickle --trickle-bytes 4096 --trickle-interval-ms 200
# Under way: the host is sending, the bar has left 0 (its fill reaches the
# bar's left end, x 40 to 44 at 1 percent) and the transfer is writing into
# the download folder (else finding it empty afterwards would prove nothing).
transferring() {
  grep -q 'ZELQACONVERT_Download' "$work/host.log" && [ -n "$(ls -A "$download_dir" 2>/dev/null)" ] &&
    page_is "progress *" && [ "${page#progress }" -ge 1 ]
}
part_files() { (cd "$download_dir" 2>/dev/null && ls -A | grep '\.part$') || true; }

# --- A hard exit in the middle of a download leaves its part file.
start_installer
click_at 300 230
expect_page 30 "progress *" "after Install"
wait_for 60 transferring || fail "the first download never got under way: the window shows '$page'"
kill -9 "$app"
wait_for 20 app_gone || fail "the installer outlived kill -9"
stale=$(part_files)
[ -n "$stale" ] || fail "the hard exit left no part file, so there is nothing to show"
[ "$(echo "$stale" | wc -l)" -eq 1 ] || fail "one download left several part files: $stale"
mkdir -p "$download_dir/Zelqa"
printf planted >"$download_dir/version.dll"
printf '[Percent]\r\nPercent=100\r\n' >"$download_dir/Zelqa/Percent.ini"
chmod -R a+rwX "$download_dir"

# --- The next attempt downloads into a new folder.
# The pointer off the spot of Install, whose hover colour would hide the page.
xdotool mousemove 0 0
start_installer
click_at 300 230
expect_page 30 "progress *" "after Install"
wait_for 60 transferring || fail "the download never got under way: the window shows '$page'"
shot 01-downloading
echo "download folder during the transfer: $(ls -A "$download_dir" | tr '\n' ' ')"
for planted in version.dll Zelqa $stale; do
  [ ! -e "$download_dir/$planted" ] || fail "the attempt uses a download folder that holds $planted from before"
done
moved=("$download_dir"-*)
[ ${#moved[@]} -eq 1 ] && [ -d "${moved[0]}" ] || fail "the earlier download folder was not moved aside: ${moved[*]}"
[ "$(cat "${moved[0]}/version.dll")" = planted ] && [ -f "${moved[0]}/Zelqa/Percent.ini" ] &&
  [ -f "${moved[0]}/$stale" ] || fail "what was moved aside is not all there: $(ls -AR "${moved[0]}")"

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
