#!/usr/bin/env bash
# Walks the gallery's controls through their states with real pointer input on
# a virtual X server and keeps a screenshot of each step.
# usage: walk-gallery.sh GALLERY_BINARY OUT_DIR [DPI]
set -euo pipefail
gallery=$1
out=$2
dpi=${3:-96}
mkdir -p "$out"

work=$(mktemp -d)
. "$(dirname "$0")/xvfb-session.sh"
start_xvfb "$dpi"
start_window "$out/stdout.txt" "$gallery"
X=$wx; Y=$wy; WIDTH=$ww; HEIGHT=$wh
s() { echo $(( ($1 * dpi + 48) / 96 )); }            # 96-DPI design units to pixels

shot() { sleep 0.25; import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$out/$1.png"; }
at() { xdotool mousemove $((X + $(s "$1"))) $((Y + $(s "$2"))); }

shot 01-start
at 300 230; sleep 0.2; shot 02-install-hover
xdotool mousedown 1; shot 03-install-pressed
xdotool mouseup 1; shot 04-install-released
at 27 287; sleep 0.2; shot 05-check-hover
xdotool mousedown 1; shot 06-check-pressed
xdotool mouseup 1; shot 07-unchecked-install-disabled
at 300 230; sleep 0.2; xdotool click 1; shot 08-disabled-install-ignores-click
at 27 287; xdotool click 1; sleep 0.1
at 150 287; sleep 0.2; shot 09-licence-hover
xdotool click 1
at 533 334; sleep 0.2; xdotool click 1; xdotool click 1; xdotool click 1; shot 10-progress-45
at 450 334; xdotool click 1; xdotool key End; xdotool type --delay 30 '\Bin'; xdotool key shift+Home; shot 13-edit-typed-and-selected
at 300 230; xdotool mousedown 1; at 300 320; xdotool mouseup 1; shot 11-pressed-dragged-off
at 573 27; sleep 0.2; shot 12-close-hover
xdotool click 1
wait_for 10 app_gone || fail "gallery did not close"
# Clicks reach the gallery only from live controls: the disabled Install
# button and the press dragged off Install send nothing.
commands=$(grep -o 'command [0-9]*' "$out/stdout.txt" | cut -d' ' -f2 | tr '\n' ' ')
expected="10002 10003 10003 10004 10005 10005 10005 10001 "
if [ "$commands" != "$expected" ]; then
  echo "commands: '$commands', expected '$expected'" >&2
  exit 1
fi
echo "walk-gallery: passed; screenshots in $out"
