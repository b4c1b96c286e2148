# Shared by the Windows end-to-end scripts, sourced first thing: the
# cross-built installer under Wine on a virtual X server of its own, the
# vendor host on the port built into the installer, pointer input at the
# design's coordinates scaled for the DPI, and reading the screen's pixels.
# The caller sets dpi, out (screenshots) and work (a scratch folder, removed
# at exit), exports WINEPREFIX, then calls wine_session_begin.

set -euo pipefail

e2e_res_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../../res/png" && pwd)
# The installer downloads from here; the port is fixed when it is built.
e2e_vendor_port=47443

e2e_pids=()
app=""
host=""

# The programs must show their windows on our X server and nowhere else.
unset WAYLAND_DISPLAY

fail() {
  echo "FAIL: $*" >&2
  if [ -n "$app" ] && ! kill -0 "$app" 2>/dev/null; then
    echo "  (the installer, pid $app, has ended)" >&2
  fi
  [ -f "${work:-}/standin.log" ] && sed 's/^/  standin | /' "$work/standin.log" | tail -n 20 >&2
  [ -f "${work:-}/host.log" ] && sed 's/^/  host | /' "$work/host.log" | tail -n 10 >&2
  if [ -n "${DISPLAY:-}" ] && [ -n "${out:-}" ]; then
    import -window root "$out/failed-screen.png" 2>/dev/null && echo "  screen: $out/failed-screen.png" >&2
  fi
  exit 1
}

. "$(dirname "${BASH_SOURCE[0]}")/../../e2e/waiting.sh"

# wine_test_setup SETUP_EXE STANDIN_EXE VENDOR_HOST OUT_DIR DPI: how a test
# script begins: sets setup_exe, standin_exe, vendor_host, out, dpi and work
# (a scratch folder).
wine_test_setup() {
  setup_exe=$1
  standin_exe=$2
  vendor_host=$3
  out=$4
  dpi=$5
  work=$(mktemp -d)
}

# Design lengths (96 DPI) to pixels as the installer scales them:
# MulDiv(v, dpi, 96), halves rounded away from zero.
S() { echo $((($1 * dpi + 48) / 96)); }

# The prefix's screen DPI, read by each Wine process when it starts.
set_logpixels() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}

# What the installer and the stand-in leave in the prefix: the download folder
# (C:\brovix, the desktop being on C:) and what was moved aside from its name,
# the default install location and the install record.
drive_c=""
download_dir=""
install_dir=""
record_key='HKLM\Software\brovix\Zelqa'
clear_installation() {
  # With the download folder go the earlier ones it moved aside (brovix-*).
  rm -rf "$download_dir" "$download_dir"-* "$install_dir"
  wine reg delete "$record_key" /f /reg:32 >/dev/null 2>&1 || true
}

# The install record's value NAME in the 32-bit view, as reg.exe shows it.
record_value() {
  wine reg query "$record_key" /v "$1" /reg:32 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$1 \{1,\}REG_[A-Z_]* \{1,\}//p"
}

e2e_cleanup() {
  local p
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  # Whatever the installer started (the full installer, the launcher) ends
  # with the prefix's server; the other tests of the prefix expect 96 DPI.
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true
    set_logpixels 96 || true
    wineserver -k >/dev/null 2>&1 || true
  fi
  for p in "$host" "${e2e_pids[@]}"; do
    [ -n "$p" ] && kill "$p" 2>/dev/null || true
  done
  for p in "$host" "${e2e_pids[@]}"; do
    [ -n "$p" ] || continue
    wait_for 10 e2e_gone "$p" || kill -9 "$p" 2>/dev/null || true
  done
  [ -n "${work:-}" ] && rm -rf "$work"
  return 0
}
trap e2e_cleanup EXIT

# start_xvfb: a 1600x1200 screen on a display Xvfb picks itself; exports
# DISPLAY. -noreset: a client connecting while the server resets is refused.
start_xvfb() {
  local fifo="$work/displayfd" number=""
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1600x1200x24 -dpi "$dpi" -nolisten tcp -noreset 3>"$fifo" >"$work/xvfb.log" 2>&1 &
  e2e_pids+=($!)
  read -r -t 60 number <"$fifo" || true
  [ -n "$number" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=:$number
  wait_for 20 xdpyinfo >/dev/null 2>&1 || fail "no X server on $DISPLAY"
  screen_w=1600 screen_h=1200
}

# wine_session_begin: the screen, and the prefix at $dpi with no installation
# left from an earlier run. Wine's own programs (reg.exe here) then already
# belong to this screen's server session.
wine_session_begin() {
  : "${WINEPREFIX:?WINEPREFIX is not set}"
  drive_c=$WINEPREFIX/drive_c
  download_dir=$drive_c/brovix
  install_dir="$drive_c/Program Files (x86)/brovix/Zelqa"
  mkdir -p "$out"
  rm -f "$out"/*.png
  start_xvfb
  wineserver -k >/dev/null 2>&1 || true
  set_logpixels "$dpi" || fail "cannot set LogPixels in $WINEPREFIX"
  clear_installation
}

port_taken() { (exec 3<>"/dev/tcp/127.0.0.1/$e2e_vendor_port") 2>/dev/null; }

# start_host OPTIONS...: the vendor host on the installer's port.
start_host() {
  stop_host
  port_taken && fail "port $e2e_vendor_port is held by another program (another end-to-end run?)"
  "$vendor_host" --port "$e2e_vendor_port" "$@" </dev/null >"$work/host.log" 2>&1 &
  host=$!
  wait_for 20 grep -q '^listening on' "$work/host.log" || fail "vendor host did not start: $(cat "$work/host.log")"
}
stop_host() {
  [ -n "$host" ] || return 0
  kill "$host" 2>/dev/null || true
  wait_for 10 e2e_gone "$host" || fail "vendor host did not stop"
  host=""
}

# The installer's windows: the wizard, and a message box when one is up.
setup_windows() { xdotool search --onlyvisible --class zelqasetup 2>/dev/null || true; }

e2e_window_found() {
  win=$(setup_windows | head -n1)
  [ -n "$win" ] || { kill -0 "$app" 2>/dev/null || return 0; return 1; }
}

# start_setup: the installer on its welcome page; sets app, win and wx, wy,
# ww, wh (its geometry on the screen).
start_setup() {
  local log="$work/setup.log"
  wine "$setup_exe" >"$log" 2>&1 &
  app=$!
  win=""
  # A first start in a fresh server session takes a while.
  wait_for 120 e2e_window_found || fail "no window from $setup_exe: $(cat "$log")"
  [ -n "$win" ] || fail "the installer ended without a window: $(cat "$log")"
  wait_for 30 window_sized "$(S 600)" "$(S 400)" || fail "window is ${WIDTH:-?}x${HEIGHT:-?} at $dpi DPI"
}

# window_sized W H: the wizard is W x H now; refreshes wx, wy, ww, wh.
window_sized() {
  local g
  g=$(xdotool getwindowgeometry --shell "$win" 2>/dev/null) || return 1
  eval "$g"
  wx=$X wy=$Y ww=$WIDTH wh=$HEIGHT
  [ "$ww" -eq "$1" ] && [ "$wh" -eq "$2" ]
}

# Pointer input at design coordinates of the wizard and of the message box.
at() { xdotool mousemove $((wx + $(S "$1"))) $((wy + $(S "$2"))); }
click_at() { at "$1" "$2"; xdotool click 1; }
box_click() { xdotool mousemove $((bx + $(S "$1"))) $((by + $(S "$2"))); xdotool click 1; }

# The screen now, in $work/now.png.
snap() { import -window root "$work/now.png" 2>/dev/null; }
# shot NAME: the wizard (or with "box" the message box) as last snapped.
shot() {
  if [ "${2:-}" = box ]; then
    convert "$work/now.png" -crop "${bw}x${bh}+${bx}+${by}" +repage "$out/$1.png"
  else
    convert "$work/now.png" -crop "${ww}x${wh}+${wx}+${wy}" +repage "$out/$1.png"
  fi
}

# The last snap's pixels, as "R G B": screen_rgb X Y, and at design
# coordinates of the wizard (rgb_at) and of the box (box_rgb_at).
screen_rgb() {
  convert "$work/now.png" -format "%[fx:int(255*p{$1,$2}.r+.5)] %[fx:int(255*p{$1,$2}.g+.5)] %[fx:int(255*p{$1,$2}.b+.5)]" info: 2>/dev/null
}
rgb_at() { screen_rgb $((wx + $(S "$1"))) $((wy + $(S "$2"))); }
box_rgb_at() { screen_rgb $((bx + $(S "$1"))) $((by + $(S "$2"))); }
# art_rgb ID X Y: the skin picture's pixel at design coordinates.
art_rgb() {
  convert "$e2e_res_dir/$1.png" -format "%[fx:int(255*p{$2,$3}.r+.5)] %[fx:int(255*p{$2,$3}.g+.5)] %[fx:int(255*p{$2,$3}.b+.5)]" info:
}

# near "R G B" "R G B" [TOLERANCE]: two colours are alike.
near() {
  local a=($1) b=($2) t=${3:-20} i d
  [ ${#a[@]} -eq 3 ] && [ ${#b[@]} -eq 3 ] || return 1
  for i in 0 1 2; do
    d=$((a[i] - b[i]))
    [ ${d#-} -le "$t" ] || return 1
  done
}

# count_colour X Y W H "R G B" TOLERANCE: how many pixels of the design
# rectangle of the wizard (or, with BOX=1, of the box) in the last snap are
# of that colour. Text is judged by counting its ink: fonts differ.
count_colour() {
  local ox=$wx oy=$wy
  [ "${BOX:-0}" = 1 ] && { ox=$bx; oy=$by; }
  convert "$work/now.png" -crop "$(S "$3")x$(S "$4")+$((ox + $(S "$1")))+$((oy + $(S "$2")))" +repage \
    -depth 8 txt:- 2>/dev/null |
    awk -F'[:,() ]+' -v c="$5" -v t="$6" 'BEGIN { split(c, k, " ") }
      !/^#/ { d1 = $3 - k[1]; d2 = $4 - k[2]; d3 = $5 - k[3]
              if (d1 * d1 <= t * t && d2 * d2 <= t * t && d3 * d3 <= t * t) n++ }
      END { print n + 0 }'
}

# ink_span X Y W H "R G B" TOLERANCE: "LEFT RIGHT", the screen columns of the
# first and last pixel of that colour in the design rectangle of the wizard.
ink_span() {
  local x0=$((wx + $(S "$1")))
  convert "$work/now.png" -crop "$(S "$3")x$(S "$4")+$x0+$((wy + $(S "$2")))" +repage -depth 8 txt:- 2>/dev/null |
    awk -F'[:,() ]+' -v c="$5" -v t="$6" -v x0="$x0" 'BEGIN { split(c, k, " "); lo = -1 }
      !/^#/ { d1 = $3 - k[1]; d2 = $4 - k[2]; d3 = $5 - k[3]
              if (d1 * d1 <= t * t && d2 * d2 <= t * t && d3 * d3 <= t * t) {
                x = $1 + x0; if (lo < 0 || x < lo) lo = x; if (x > hi) hi = x } }
      END { print lo, hi }'
}

# bar_percent: how far the progress bar's fill reaches in the last snap, in
# percent of the bar (the fill is int(width * position / 100) wide).
bar_percent() {
  local w
  w=$(S 520)
  convert "$work/now.png" -crop "${w}x1+$((wx + $(S 40)))+$((wy + $(S 369)))" +repage -depth 8 txt:- 2>/dev/null |
    awk -F'[:,() ]+' -v w="$w" -v pill="$PILL" 'BEGIN { split(pill, k, " "); last = -1 }
      !/^#/ && ($3 - k[1]) ^ 2 <= 144 && ($4 - k[2]) ^ 2 <= 144 && ($5 - k[3]) ^ 2 <= 144 { last = $1 }
      END { print int(((2 * (last + 1) + 1) * 100 + w) / (2 * w)) }'
}

# The skin's colours: the filled pill (Install, Run, "否") and bar fill, the
# bar's track, the box's title band, and the texts' ink.
PILL="113 138 185"
TRACK="216 224 244"
BAND="243 246 253"
WHITE="255 255 255"
INK="60 60 60"

# Which page the last snap shows, from a few characteristic pixels:
# "welcome", "progress", "finish" or "unknown".
#  welcome:  the product icon of its background and the Install pill;
#  progress: both ends of the bar (track or fill), no Install pill;
#  finish:   the check mark's circle of its background and the Run pill.
read_page() {
  local left right
  left=$(rgb_at 44 369) right=$(rgb_at 556 369)
  if near "$(rgb_at 289 106)" "$(art_rgb 137 289 106)" && near "$(rgb_at 226 230)" "$PILL"; then
    echo welcome
  elif near "$(rgb_at 148 122)" "$(art_rgb 136 148 122)" && near "$(rgb_at 226 354)" "$PILL"; then
    echo finish
  elif { near "$left" "$TRACK" 12 || near "$left" "$PILL" 12; } &&
       { near "$right" "$TRACK" 12 || near "$right" "$PILL" 12; } && ! near "$(rgb_at 226 230)" "$PILL"; then
    echo progress
  else
    echo unknown
  fi
}

# page_is PAGE: a new snap shows PAGE (the wizard re-measured first: a page
# switch may resize and so move it). The reading stays in $page.
page_is() {
  window_sized "$(S 600)" "$(S 400)" || return 1
  snap || return 1
  page=$(read_page)
  [ "$page" = "$1" ]
}
expect_page() {
  wait_for "$1" page_is "$2" || fail "$3: the wizard shows '${page:-nothing}', not '$2'"
}

# The message box: box (its window) and bx, by, bw, bh once it is up.
e2e_box_found() {
  box=$(setup_windows | grep -vx "$win" | head -n1)
  [ -n "$box" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$box")"
  bx=$X by=$Y bw=$WIDTH bh=$HEIGHT
}
box_gone() { [ -z "$(setup_windows | grep -vx "$win")" ]; }
app_gone() { ! kill -0 "$app" 2>/dev/null; }
