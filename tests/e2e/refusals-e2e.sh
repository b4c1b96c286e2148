#!/usr/bin/env bash
# End to end: what the welcome page refuses. Locations on a drive that is not
# there, on a RAM disk and of 260 characters are refused in the message box
# with their texts, and nothing starts; an unticked agreement makes Install
# do nothing; Escape, Enter and Space do nothing, not even in the path box.
# Then a typed location installs and is what the install record holds.
# usage: refusals-e2e.sh BUILD_DIR OUT_DIR [DPI]
set -euo pipefail
. "$(dirname "$0")/../../scripts/lib/session.sh"
e2e_own_network "$0" "$@"
. "$(dirname "$0")/../../scripts/lib/installer.sh"
installer_test_setup "$@"
# The stand-in stays at 57 so the last install is still under way when closed.
export ZELQA_STANDIN_SCENARIO=stall57
start_host
start_xvfb "$dpi"
start_installer

# A drive letter the prefix does not map, and one mapped to a folder on a
# RAM disk (the prefix exists once the installer has started).
[ ! -e "$work/prefix/dosdevices/q:" ] || fail "the prefix maps Q:"
ramdisk=""
for shm in /dev/shm /run/shm; do
  [ "$(stat -f -c %T "$shm" 2>/dev/null)" = tmpfs ] && { ramdisk=$(mktemp -d -p "$shm" zelqa-e2e.XXXXXX); break; }
done
[ -n "$ramdisk" ] || fail "no tmpfs to stand for a RAM disk"
e2e_scratch+=("$ramdisk")
ln -s "$ramdisk" "$work/prefix/dosdevices/x:"
# The same kind of link to a folder on a disk is a fixed drive: the last install goes there.
mkdir "$work/drive_y"
ln -s "$work/drive_y" "$work/prefix/dosdevices/y:"

# type_location TEXT: replaces the path box's text by typing. There is no
# window manager on the server: after a message box has gone the installer
# itself must give its window the keyboard back.
type_location() {
  click_at 300 354
  xdotool key End shift+Home
  xdotool type --delay 1 -- "$1"
}

# refused LOCATION GOLDEN: Install with LOCATION shows the message box of
# tests/golden/GOLDEN.png; after "好的" the welcome page is as it was and
# nothing was recorded or downloaded.
refused() {
  type_location "$1"
  click_at 300 230
  expect_box "$2"
  box_click 332 166
  wait_for 10 box_gone || fail "message box still open after 好的"
  expect_page 10 welcome "after refusing $1"
  no_record || fail "refusing $1 still wrote the install record"
  [ ! -e "$download_dir" ] || fail "refusing $1 still started the download"
}

refused 'Q:\Zelqa' "msgbox-notice-$dpi"
shot 01-unmapped-drive
refused 'X:\Zelqa' "msgbox-notice-$dpi"
long='C:\'$(printf 'a%.0s' $(seq 257))
[ ${#long} -eq 260 ] || fail "test location is ${#long} characters"
refused "$long" "msgbox-notice-long-$dpi"

# Unticking the agreement greys Install and makes it ignore clicks. Input is
# handled in order, so once the box ticked again shows, the click before it
# has been handled too.
click_at 27 287
expect_page 10 welcome-disabled "after unticking the agreement"
shot 02-agreement-unticked
click_at 300 230
click_at 27 287
expect_page 10 welcome "after ticking the agreement again"
no_second_window || fail "a message box opened"
no_record || fail "Install with the agreement unticked wrote the install record"
[ ! -e "$download_dir" ] || fail "Install with the agreement unticked started the download"

# Escape, Enter and Space, with the path box focused, do nothing: no closing,
# no Install, no space in the path (the record shows the path as typed).
typed='Y:\Apps\Zelqa'
type_location "$typed"
xdotool key Escape Return space KP_Enter
click_at 27 287
expect_page 10 welcome-disabled "after Escape, Enter and Space"
app_gone && fail "Escape, Enter or Space closed the installer"
no_record || fail "Enter started an install"
click_at 27 287
expect_page 10 welcome "after ticking the agreement again"

click_at 300 230
expect_page 30 "progress *" "after Install"
wait_for 10 test -n "$(record_value Path)" || fail "no install record"
[ "$(record_value Path)" = "$typed" ] || fail "install record Path is '$(record_value Path)', typed '$typed'"
shot 03-installing-typed-location

# Closing asks; "是" ends the installer at once.
click_at 573 27
box_up
box_click 216 166
wait_for 15 app_gone || fail "installer still running after 是"
wait "$app" || fail "installer exited with status $?"
echo "refusals-e2e: passed at $dpi DPI; screenshots in $out"
