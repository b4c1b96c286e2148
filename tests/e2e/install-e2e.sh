#!/usr/bin/env bash
# End to end: the real installer on a virtual X server, driven only by pointer
# input at the window's design coordinates, installs the stand-in full
# installer from the local vendor host and starts its launcher.
# usage: install-e2e.sh BUILD_DIR OUT_DIR [DPI]
set -euo pipefail
build=$(cd "$1" && pwd)
out=$2
dpi=${3:-96}
mkdir -p "$out"
rm -f "$out"/*.png

work=$(mktemp -d)
. "$(dirname "$0")/xvfb-session.sh"
export ZELQA_PREFIX=$work/prefix
export ZELQA_STANDIN_SECONDS=3
export ZELQA_STANDIN_MARKER=$work/launched.txt
# Pages would go to a browser; record them instead.
printf '#!/bin/sh\necho "$@" >> %s/opened.txt\n' "$work" > "$work/opener"
chmod +x "$work/opener"
export ZELQA_OPENER=$work/opener
export NO_PROXY=localhost,127.0.0.1 no_proxy=localhost,127.0.0.1

"$build/zelqa-vendor-host" >"$work/host.log" 2>&1 &
e2e_pids+=($!)
wait_for 10 grep -q listening "$work/host.log" || fail "vendor host did not start: $(cat "$work/host.log")"

start_xvfb "$dpi"
start_window "$work/setup.log" "$build/zelqa-setup"
geometry() { eval "$(xdotool getwindowgeometry --shell "$1")"; }
[ "$ww" -eq $((600 * dpi / 96)) ] && [ "$wh" -eq $((400 * dpi / 96)) ] || fail "window is ${ww}x${wh}"
s() { echo $(( ($1 * dpi + 48) / 96 )); }
at() { xdotool mousemove $((wx + $(s "$1"))) $((wy + $(s "$2"))); }
shot() { sleep 0.3; import -window root -crop "${ww}x${wh}+${wx}+${wy}" "$out/$1.png"; }

shot 01-welcome

# The close button asks first; the question box drags by its title band.
at 573 27; sleep 0.1; xdotool click 1
box=$(second_window) || fail "no question box"
geometry "$box"; bx=$X; by=$Y
import -window root -crop "${WIDTH}x${HEIGHT}+${bx}+${by}" "$out/02-question.png"
xdotool mousemove $((bx + $(s 100))) $((by + $(s 20))); xdotool mousedown 1
for step in 1 2 3 4 5 6; do xdotool mousemove $((bx + $(s 100) + step * 20)) $((by + $(s 20) + step * 10)); sleep 0.05; done
box_moved() { geometry "$box"; [ "$X" -eq $((bx + 120)) ] && [ "$Y" -eq $((by + 60)) ]; }
wait_for 5 box_moved || fail "box went to $X,$Y from $bx,$by"
xdotool mouseup 1; sleep 0.2
import -window root "$out/03-question-dragged-full.png"
# "否" keeps the installer open.
xdotool mousemove $((X + $(s 332))) $((Y + $(s 166))); sleep 0.1; xdotool click 1
box_gone() { ! xdotool search --onlyvisible --pid "$app" 2>/dev/null | grep -qv "^$win$"; }
wait_for 10 box_gone || fail "question box still open after 否"
kill -0 "$app" 2>/dev/null || fail "installer closed after 否"

# The licence link goes to the page on the vendor host.
at 165 287; sleep 0.1; xdotool click 1
wait_for 10 grep -q "/cn/license-agreement.html" "$work/opened.txt" 2>/dev/null || fail "licence page not opened"

# Install: download, launch, monitor, finish.
at 300 230; sleep 0.1; xdotool click 1
sleep 1; shot 04-progress
finished=""
for _ in $(seq 600); do
  if [ -f "$work/prefix/drive_c/brovix/Zelqa/Percent.ini" ]; then
    grep -q "Percent=[3-9][0-9]" "$work/prefix/drive_c/brovix/Zelqa/Percent.ini" 2>/dev/null && [ ! -f "$out/05-installing.png" ] && shot 05-installing
  elif [ -f "$out/05-installing.png" ]; then
    finished=1; break   # the finish page deletes the progress file
  fi
  sleep 0.1
done
[ -n "$finished" ] || fail "never reached the finish page"
sleep 1; shot 06-finish
"$build/zelqa-reg" query 'HKLM\Software\brovix\Zelqa' /v Path | grep -q 'Program Files (x86)' || fail "no install record"

# Run starts the launcher and closes the installer.
# (On a busy machine the page may still be turning: click again until it takes.)
for _ in 1 2 3 4 5; do
  at 300 354; sleep 0.1; xdotool click 1
  wait_for 2 test -f "$ZELQA_STANDIN_MARKER" && break
done
[ -f "$ZELQA_STANDIN_MARKER" ] || fail "launcher did not run"
wait_for 10 app_gone || fail "installer still running after Run"
echo "install-e2e: passed at $dpi DPI; screenshots in $out"
