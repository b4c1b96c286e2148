#!/usr/bin/env bash
# Walks the gallery's controls through their states with real pointer input on
# a virtual X server and keeps a screenshot of each step.
# usage: walk-gallery.sh GALLERY_BINARY OUT_DIR [DPI]
set -euo pipefail
. "$(dirname "$0")/../../scripts/lib/session.sh"
gallery=$1
out=$2
dpi=${3:-96}
mkdir -p "$out"
rm -f "$out"/*.png

work=$(mktemp -d)
start_xvfb "$dpi"
start_window "$out/stdout.txt" "$gallery"
s() { echo $(( ($1 * dpi + 48) / 96 )); }            # 96-DPI design units to pixels
at() { xdotool mousemove $((wx + $(s "$1"))) $((wy + $(s "$2"))); }

grab() { import -window root -crop "${ww}x${wh}+${wx}+${wy}" +repage "$1"; }
# Pictures are compared without the path box, whose caret blinks once it has
# the focus.
same_picture() {
  local mask="rectangle $(s 76),$(s 318) $(s 490),$(s 350)"
  convert "$2" -fill black -draw "$mask" "$work/masked.png"
  [ "$(convert "$1" -fill black -draw "$mask" png:- | compare -metric AE - "$work/masked.png" null: 2>&1)" = 0 ]
}
differs_from_last() {
  grab "$work/now.png" || return 1
  ! same_picture "$work/now.png" "$work/last.png"
}
steady() {
  cp "$work/now.png" "$work/before.png"
  grab "$work/now.png" || return 1
  same_picture "$work/now.png" "$work/before.png"
}
# The path box shows its text selected (the selection appears at once, with
# the last key).
selected() {
  grab "$work/now.png" || return 1
  [ "$(convert "$work/now.png" -crop "$(s 414)x$(s 32)+$(s 76)+$(s 318)" +repage -depth 8 txt:- |
    grep -c '#0078D7')" -ge $(($(s 1000) * dpi / 96)) ]
}
# as_at_start X Y W H: that part of the window (design units) looks as it did
# at the start.
as_at_start() {
  local region="$(s "$3")x$(s "$4")+$(s "$1")+$(s "$2")"
  grab "$work/now.png" || return 1
  convert "$out/01-start.png" -crop "$region" +repage "$work/start-part.png"
  convert "$work/now.png" -crop "$region" +repage "$work/now-part.png"
  [ "$(compare -metric AE "$work/now-part.png" "$work/start-part.png" null: 2>&1)" = 0 ]
}
# shot NAME: the window once the input just given has changed it and it has
# stopped changing.
shot() {
  wait_for 10 differs_from_last || fail "step $1 changed nothing on the screen"
  wait_for 10 steady || fail "step $1 never stopped changing the screen"
  cp "$work/now.png" "$out/$1.png"
  cp "$work/now.png" "$work/last.png"
}
# still NAME: the window, which the input just given must not change; the
# input after it shows when this one has been handled.
still() { grab "$out/$1.png"; cp "$out/$1.png" "$work/last.png"; }

grab "$work/last.png"
cp "$work/last.png" "$out/01-start.png"
at 300 230; shot 02-install-hover
xdotool mousedown 1; shot 03-install-pressed
xdotool mouseup 1; shot 04-install-released
at 27 287; shot 05-check-hover
xdotool mousedown 1; shot 06-check-pressed
xdotool mouseup 1; shot 07-unchecked-install-disabled
at 300 230; xdotool click 1; still 08-disabled-install-ignores-click
at 27 287; xdotool click 1; shot 08b-checked-again
at 150 287; shot 09-licence-hover
xdotool click 1
at 533 334; xdotool click 1; xdotool click 1; xdotool click 1; shot 10-progress-45
at 450 334; xdotool click 1; xdotool key End; xdotool type --delay 30 '\Bin'; xdotool key shift+Home
wait_for 10 selected || fail "the typed path never showed selected"
cp "$work/now.png" "$out/13-edit-typed-and-selected.png"; cp "$work/now.png" "$work/last.png"
at 300 230; xdotool mousedown 1; at 300 320; xdotool mouseup 1
# Let go off the button: it is back to its first look, and sent nothing.
wait_for 10 as_at_start 220 210 160 40 || fail "Install did not come back from the press dragged off it"
cp "$work/now.png" "$out/11-pressed-dragged-off.png"; cp "$work/now.png" "$work/last.png"
at 573 27; shot 12-close-hover
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
