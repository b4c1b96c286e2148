# Shared by everything that drives the installer's window, on Linux and under
# Wine, sourced after session.sh: the vendor host, pointer input at the
# design's coordinates scaled for the screen, pixels, reading pages from them,
# the message box and the install record. Only how the installer is started
# differs by target: installer_command (and, under Wine, wine-session.sh).
# The caller sets out (screenshots), work and dpi; on Linux build (the build
# folder) through installer_test_setup or installer_environment.

e2e_lib_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
e2e_golden_dir=$(cd "$e2e_lib_dir/../../tests/golden" && pwd)
e2e_res_dir=$(cd "$e2e_lib_dir/../../res/png" && pwd)
# The installer downloads from here; the port is fixed when it is built.
e2e_vendor_port=47443

# Design lengths (96 DPI) to pixels as the window scales them: MulDiv(v, dpi,
# 96), halves rounded away from zero.
S() {
  local v=$1
  if [ "$v" -lt 0 ]; then echo $((-((-v * dpi + 48) / 96))); else echo $(((v * dpi + 48) / 96)); fi
}

# The installer and what it starts work in the scratch prefix; web pages and
# the launcher leave traces there instead of opening anything.
# installer_test_setup BUILD_DIR OUT_DIR [DPI]: how a test script begins,
# after the sessions are sourced: sets build, out (emptied of screenshots),
# dpi (96 unless given) and work (a scratch folder), and the environment.
installer_test_setup() {
  build=$(cd "$1" && pwd)
  out=$2
  dpi=${3:-96}
  mkdir -p "$out"
  rm -f "$out"/*.png
  work=$(mktemp -d)
  installer_environment
}

installer_environment() {
  installer_command=("$build/zelqa-setup")
  vendor_host=$build/zelqa-vendor-host
  record_tool=("$build/zelqa-reg")
  record_view=()
  export ZELQA_PREFIX=$work/prefix
  export ZELQA_STANDIN_MARKER=$work/launched.txt
  export ZELQA_STANDIN_LOG=$work/standin.log
  export ZELQA_STANDIN_SECONDS=${ZELQA_STANDIN_SECONDS:-2}
  printf '#!/bin/sh\necho "$@" >> %s/opened.txt\n' "$work" >"$work/opener"
  chmod +x "$work/opener"
  export ZELQA_OPENER=$work/opener
  export NO_PROXY=localhost,127.0.0.1 no_proxy=localhost,127.0.0.1
  # The desktop is on C:, so the download folder is C:\brovix.
  download_dir=$work/prefix/drive_c/brovix
  record_key='HKLM\Software\brovix\Zelqa'
}

# start_host [OPTIONS...]: the vendor host ($vendor_host) on the installer's
# port (stopping the one before), shaped by the options.
host=""
e2e_port_taken() { (exec 3<>"/dev/tcp/127.0.0.1/$e2e_vendor_port") 2>/dev/null; }
start_host() {
  stop_host
  e2e_port_taken && fail "port $e2e_vendor_port is held by another program (another end-to-end run?)"
  : >"$work/host.log"
  "$vendor_host" --port "$e2e_vendor_port" "$@" </dev/null >"$work/host.log" 2>&1 &
  host=$!
  e2e_pids+=($host)
  wait_for 20 grep -q '^listening on' "$work/host.log" || fail "vendor host did not start: $(cat "$work/host.log")"
}
stop_host() {
  [ -n "$host" ] || return 0
  kill "$host" 2>/dev/null || true
  wait_for 10 e2e_gone "$host" || fail "vendor host did not stop"
  wait "$host" 2>/dev/null || true
  host=""
}

# start_installer: the installer's window (installer_command), sized for the
# DPI, on its welcome page.
start_installer() {
  start_window "$work/setup.log" "${installer_command[@]}"
  wait_for 30 window_sized "$(S 600)" "$(S 400)" || fail "window is ${ww}x${wh} at $dpi DPI"
  wait_for 30 page_is welcome || fail "no welcome page: $(read_page "$work/now.png")"
}

# window_sized W H: the window is W x H now; refreshes wx, wy, ww, wh.
window_sized() {
  local g
  g=$(xdotool getwindowgeometry --shell "$win" 2>/dev/null) || return 1
  eval "$g"
  wx=$X wy=$Y ww=$WIDTH wh=$HEIGHT
  [ "$ww" -eq "$1" ] && [ "$wh" -eq "$2" ]
}

# install_probe: probe_x, probe_y, the left end of Install on the screen when
# the window is centred on it (as it opens), in the Install colour 718AB9 at
# every start; the point first-frame measurements look at.
install_probe() {
  probe_x=$(((screen_w - $(S 600)) / 2 + $(S 226)))
  probe_y=$(((screen_h - $(S 400)) / 2 + $(S 230)))
}

# Pointer input at design coordinates of the installer window.
at() { xdotool mousemove $((wx + $(S "$1"))) $((wy + $(S "$2"))); }
click_at() { at "$1" "$2"; xdotool click 1; }

# grab FILE: the installer window as it is on the screen now.
grab() { import -window root -crop "${ww}x${wh}+${wx}+${wy}" +repage "$1"; }
shot() { grab "$out/$1.png"; }
# keep NAME: the very picture the last page_is looked at.
keep() { cp "$work/now.png" "$out/$1.png"; }

# rgb IMAGE X Y: "R G B" of one pixel.
rgb() {
  convert "$1" -crop "1x1+$2+$3" +repage -depth 8 txt:- 2>/dev/null |
    sed -n '2s/^[^(]*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p'
}

# The screen now, in $work/screen.png, with the window re-measured first (a
# page switch may resize and so move it); the helpers below read this snap.
snap() {
  window_sized "$(S 600)" "$(S 400)" || true
  import -window root "$work/screen.png" 2>/dev/null
}
# The last snap's pixels, as "R G B": screen_rgb X Y, and at design
# coordinates of the window (rgb_at) and of the message box (box_rgb_at).
screen_rgb() { rgb "$work/screen.png" "$1" "$2"; }
rgb_at() { screen_rgb $((wx + $(S "$1"))) $((wy + $(S "$2"))); }
box_rgb_at() { screen_rgb $((bx + $(S "$1"))) $((by + $(S "$2"))); }
# art_rgb ID X Y: the skin picture's pixel at design coordinates.
art_rgb() { rgb "$e2e_res_dir/$1.png" "$2" "$3"; }
# snap_shot NAME [box]: the window (or the message box) as last snapped.
snap_shot() {
  if [ "${2:-}" = box ]; then
    convert "$work/screen.png" -crop "${bw}x${bh}+${bx}+${by}" +repage "$out/$1.png"
  else
    convert "$work/screen.png" -crop "${ww}x${wh}+${wx}+${wy}" +repage "$out/$1.png"
  fi
}

# e2e_pixels X Y W H: the last snap's pixels of that design rectangle of the
# window (or, with BOX=1, of the message box) as "X Y R G B" lines, X the
# screen column.
e2e_pixels() {
  local ox=$wx oy=$wy
  [ "${BOX:-0}" = 1 ] && { ox=$bx; oy=$by; }
  local x0=$((ox + $(S "$1")))
  convert "$work/screen.png" -crop "$(S "$3")x$(S "$4")+$x0+$((oy + $(S "$2")))" +repage -depth 8 txt:- 2>/dev/null |
    awk -F'[:,() ]+' -v x0="$x0" '!/^#/ { print $1 + x0, $2, $3, $4, $5 }'
}
# count_colour X Y W H "R G B" TOLERANCE: how many pixels of the design
# rectangle are of that colour. Text is judged by counting its ink: fonts
# differ.
count_colour() {
  e2e_pixels "$1" "$2" "$3" "$4" | awk -v c="$5" -v t="$6" 'BEGIN { split(c, k, " ") }
    { if (($3 - k[1]) ^ 2 <= t * t && ($4 - k[2]) ^ 2 <= t * t && ($5 - k[3]) ^ 2 <= t * t) n++ }
    END { print n + 0 }'
}
# ink_span X Y W H "R G B" TOLERANCE: "LEFT RIGHT", the screen columns of the
# first and last pixel of that colour in the design rectangle.
ink_span() {
  e2e_pixels "$1" "$2" "$3" "$4" | awk -v c="$5" -v t="$6" 'BEGIN { split(c, k, " "); lo = -1 }
    { if (($3 - k[1]) ^ 2 <= t * t && ($4 - k[2]) ^ 2 <= t * t && ($5 - k[3]) ^ 2 <= t * t) {
        if (lo < 0 || $1 < lo) lo = $1; if ($1 > hi) hi = $1 } }
    END { print lo, hi + 0 }'
}

# near "R G B" "R G B" [TOLERANCE]: two colours are alike. 24 levels per
# channel by default: the widest that still tells the skin's colours apart
# (the pill from its disabled grey and from the track), and enough for the
# edges that different font rasterisers and the two targets' smoothing draw.
near() {
  local a=($1) b=($2) t=${3:-24} i d
  [ ${#a[@]} -eq 3 ] && [ ${#b[@]} -eq 3 ] || return 1
  for i in 0 1 2; do
    d=$((a[i] - b[i]))
    [ ${d#-} -le "$t" ] || return 1
  done
}

# The skin's colours: the filled pill (Install, Run, "否") and the bar's fill,
# the pill drawn disabled, the bar's track, the box's title band, and the
# texts' ink.
PILL="113 138 185"
PILL_DISABLED="209 214 227"
TRACK="216 224 244"
BAND="243 246 253"
WHITE="255 255 255"
INK="60 60 60"

# read_page IMAGE: which page the image of the window shows: "welcome",
# "welcome-disabled" (agreement unticked), "progress N", "failure N" (the bar
# at N), "finish" or "unknown". One look at four parts of the picture:
#  1. the bar's middle row: both ends track or fill means the bar shows; how
#     far the fill reaches is the position (the fill is int(width * pos / 100));
#  2. the status line: the failure text's red;
#  3. the left end of Run, 4. the left end of Install: the filled pill (Install
#     grey when the agreement is unticked).
read_page() {
  local x0 w
  x0=$(S 40); w=$(S 520)
  convert "$1" -depth 8 \
    \( -clone 0 -crop "${w}x1+${x0}+$(S 369)" \) \
    \( -clone 0 -crop "$(S 300)x$(S 24)+${x0}+$(S 332)" \) \
    \( -clone 0 -crop "1x1+$(S 226)+$(S 354)" \) \
    \( -clone 0 -crop "1x1+$(S 226)+$(S 230)" \) \
    -delete 0 txt:- 2>/dev/null |
    awk -F'[:,() ]+' -v w="$w" -v edge="$(S 4)" -v red_min="$(S 20)" -v pill="$PILL" -v grey="$PILL_DISABLED" -v track="$TRACK" '
      function near(r, g, b, colour, t,   c) { split(colour, c, " "); return (r - c[1]) ^ 2 <= t * t && (g - c[2]) ^ 2 <= t * t && (b - c[3]) ^ 2 <= t * t }
      /^#/ { part++; next }
      part == 1 {
        if (near($3, $4, $5, pill, 40)) last = $1
        if ($1 == edge || $1 == w - edge) bar += (near($3, $4, $5, track, 12) || near($3, $4, $5, pill, 12))
      }
      part == 2 && $3 >= 200 && $4 <= 90 && $5 <= 90 { reds++ }
      part == 3 { run = near($3, $4, $5, pill, 24) }
      part == 4 { install = near($3, $4, $5, pill, 24); greyed = near($3, $4, $5, grey, 24) }
      END {
        fill = (last == "" ? 0 : last + 1)
        pos = int(((2 * fill + 1) * 100 + w) / (2 * w))
        if (bar == 2) print (reds > red_min ? "failure " : "progress ") pos
        else if (run) print "finish"
        else if (install) print "welcome"
        else if (greyed) print "welcome-disabled"
        else print "unknown"
      }'
}

# page_is PAGE: the window shows PAGE now (a shell pattern, e.g. "progress *").
# The last reading stays in $page, its picture in $work/now.png.
page_is() {
  import -window "$win" "$work/now.png" 2>/dev/null || return 1
  page=$(read_page "$work/now.png")
  # shellcheck disable=SC2254
  case $page in $1) return 0 ;; esac
  return 1
}

# expect_page SECONDS PAGE WHAT: waits for PAGE or fails saying WHAT.
expect_page() {
  wait_for "$1" page_is "$2" && return 0
  import -window root "$out/failed-screen.png" 2>/dev/null || true
  fail "$3: the window shows '$page', not '$2' (screen in $out/failed-screen.png)"
}

# The message box: box (its window) and bx, by, bw, bh once it is up.
box_found() {
  e2e_other_window || return 1
  box=$e2e_other
  eval "$(xdotool getwindowgeometry --shell "$box")"
  bx=$X by=$Y bw=$WIDTH bh=$HEIGHT
}
box_up() {
  if ! box=$(second_window); then
    import -window root "$out/failed-screen.png" 2>/dev/null || true
    fail "no message box (screen in $out/failed-screen.png)"
  fi
  eval "$(xdotool getwindowgeometry --shell "$box")"
  bx=$X; by=$Y; bw=$WIDTH; bh=$HEIGHT
  [ "$bw" -eq "$(S 400)" ] && [ "$bh" -eq "$(S 200)" ] || fail "message box is ${bw}x${bh}"
}
box_grab() { import -window root -crop "${bw}x${bh}+${bx}+${by}" +repage "$1"; }
box_click() { xdotool mousemove $((bx + $(S "$1"))) $((by + $(S "$2"))); xdotool click 1; }
box_gone() { no_second_window; }

# same_as_golden IMAGE NAME: IMAGE shows what tests/golden/NAME.png does (a
# few levels per channel apart at most, as font rasterisers differ).
same_as_golden() {
  local golden="$e2e_golden_dir/$2.png" differing
  [ -f "$golden" ] || return 1
  differing=$(compare -metric AE -fuzz 4% "$1" "$golden" null: 2>&1) || true
  [ "$differing" = 0 ]
}

# expect_box NAME: the message box shows the text of tests/golden/NAME.png
# (painting may still be under way: looked at until it matches or time is up).
# ZELQA_UPDATE_GOLDEN=1 rewrites the golden from the box instead.
expect_box() {
  box_up
  local actual="$out/$1.actual.png"
  if [ "${ZELQA_UPDATE_GOLDEN:-}" = 1 ]; then
    # Painted when two looks agree.
    box_grab "$actual"
    wait_for 10 e2e_box_steady "$actual" || fail "message box never stopped changing"
    if ! same_as_golden "$actual" "$1"; then
      cp "$actual" "$e2e_golden_dir/$1.png"
      echo "golden $1 rewritten; look at it before committing it" >&2
    fi
  elif ! wait_for 10 e2e_box_matches "$actual" "$1"; then
    compare -fuzz 4% "$actual" "$e2e_golden_dir/$1.png" "$out/$1.diff.png" 2>/dev/null || true
    fail "message box differs from tests/golden/$1.png: see $actual and $out/$1.diff.png"
  fi
  rm -f "$actual"
  box_grab "$out/$1.png"
}
e2e_box_matches() { box_grab "$1" && same_as_golden "$1" "$2"; }
e2e_box_steady() {
  box_grab "$work/box-now.png" || return 1
  compare -metric AE "$work/box-now.png" "$1" null: >/dev/null 2>&1 && return 0
  cp "$work/box-now.png" "$1"
  return 1
}

# The install record's value NAME, as the target's reg tool (record_tool,
# in record_view) shows it.
record_value() {
  "${record_tool[@]}" query "$record_key" /v "$1" "${record_view[@]}" 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$1 \{1,\}REG_[A-Z_]* \{1,\}//p"
}
record_has() { "${record_tool[@]}" query "$record_key" /v "$1" "${record_view[@]}" >/dev/null 2>&1; }
no_record() { ! record_has Path; }

# What the download folder holds besides the progress folder: the finished
# installer at most, never a piece of one.
download_leftovers() {
  [ -d "$download_dir" ] || return 0
  (cd "$download_dir" && find . -mindepth 1 -maxdepth 1 ! -name Zelqa ! -name ZELQACONVERT.exe -printf '%P\n')
}
