#!/usr/bin/env bash
# Benchmarks of the Windows installer under Wine (not a test), called by
# scripts/bench after it has built the bench-windows preset. Each figure
# stands next to a yardstick measured in the same run:
#   - the size of ZelqaSetup.exe stripped (a copy; the build keeps its
#     symbols), against tools/bench-window's bare Win32 window program built
#     by the same compiler with the same flags;
#   - the share of one core ZelqaSetup.exe uses over 10 s while the stand-in
#     full installer holds the progress at 57 (user + system time from
#     /proc/PID/stat), against the bare window idle under Wine for 10 s, and
#     wineserver's share over the same two spans (the installer's polling
#     reaches Windows files and the registry through it).
# The CPU figures are the median of ZELQA_BENCH_CPU_RUNS runs (3). Prints
# table rows in scripts/bench's format and one "runs:" line, and writes them
# to OUT/table-wine.txt; the raw figures stay in OUT/wine/.
# usage: bench-wine.sh BUILD_DIR OUT [VENDOR_HOST]
#   BUILD_DIR: a bench-windows build with ZelqaSetup, zelqa-standin,
#     zelqa-trust-ca and zelqa-bench-window built (nothing is built here);
#   VENDOR_HOST: a Linux zelqa-vendor-host; by default the one the build
#     folder was configured with (ZELQA_WIN32_VENDOR_HOST_EXE).
# Needs no display: it runs its own virtual X server at 96 DPI.
set -euo pipefail
if [ $# -lt 2 ] || [ ! -d "$1" ]; then
  echo "usage: bench-wine.sh BUILD_DIR OUT [VENDOR_HOST]" >&2
  exit 2
fi

# The installer's vendor port is built in and the end-to-end runs bind it
# too: a network of our own keeps them apart. Where namespaces are not
# allowed the run stays in the shared network.
if [ -z "${ZELQA_WINE_BENCH_OWN_NETWORK:-}" ]; then
  for how in -n -rn; do
    if unshare $how -- sh -c 'ip link set lo up' 2>/dev/null; then
      exec env ZELQA_WINE_BENCH_OWN_NETWORK=1 unshare $how -- sh -c 'ip link set lo up && exec "$@"' sh \
        bash "$0" "$@"
    fi
  done
fi

. "$(dirname "$0")/wine-session.sh"
e2e_dir=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
bench_out=$(cd "$2" && pwd)
cpu_runs=${ZELQA_BENCH_CPU_RUNS:-3}
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
vendor_host=${3:-$(cache_value ZELQA_WIN32_VENDOR_HOST_EXE)}
ca=$(cache_value ZELQA_WIN32_TEST_CA_FILE)
setup_exe=$build/ZelqaSetup.exe
bare_exe=$build/zelqa-bench-window.exe
standin_exe=$build/zelqa-standin.exe
trust_exe=$build/zelqa-trust-ca.exe
for f in "$setup_exe" "$bare_exe" "$standin_exe" "$trust_exe" "$vendor_host"; do
  [ -x "$f" ] || { echo "bench-wine: $f is missing (build the bench-windows preset, and the bench one for the vendor host)" >&2; exit 1; }
done
# wine-session.sh keeps screenshots of failures in $out.
out=$bench_out/wine
dpi=96
mkdir -p "$out"
rm -f "$out"/*.txt
work=$(mktemp -d)
ticks_per_second=$(getconf CLK_TCK)
log() { echo "bench-wine: $*" >&2; }
median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
record() { echo "$2" >>"$out/$1.txt"; }
figures() { tr '\n' ' ' <"$out/$1.txt" | sed 's/ $//'; }

# 1. Sizes. Only the copies are stripped.
strip_size() {
  local copy
  copy=$work/$(basename "$1")
  i686-w64-mingw32-strip -o "$copy" "$1"
  stat -c %s "$copy"
}
# The skin's pictures and the manifest, which the bare window has none of.
rsrc_size() {
  local hex
  hex=$(i686-w64-mingw32-objdump -h "$1" | awk '$2 == ".rsrc" { print $3; exit }')
  echo $((16#${hex:-0}))
}
setup_stripped=$(strip_size "$setup_exe")
bare_stripped=$(strip_size "$bare_exe")
setup_rsrc=$(rsrc_size "$setup_exe")

# 2. CPU under Wine, in a prefix of the build folder trusting the test CA.
export WINEPREFIX=$build/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
log "preparing the Wine prefix"
env -u DISPLAY sh "$e2e_dir/../wine-prefix.sh" "$WINEPREFIX" "$trust_exe" "$ca" >&2
export ZELQA_STANDIN_SCENARIO=stall57 ZELQA_STANDIN_SECONDS=1
export ZELQA_STANDIN_LOG="Z:${work//\//\\}\\standin.log"
unset ZELQA_STANDIN_MARKER
wine_session_begin
# One server session for every run, its services started once, so that no
# run measures Wine starting up.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
wineserver -p
start_host --payload "$standin_exe"

# prefix_pids PATTERN: the Wine processes of our prefix whose command line
# matches PATTERN (extended, any letter case). Other prefixes' programs, as
# the Windows end-to-end tests may run meanwhile, do not count.
prefix_pids() {
  local p exe
  for p in /proc/[0-9]*; do
    exe=$(readlink "$p/exe" 2>/dev/null) || continue
    case $exe in */wine*) ;; *) continue ;; esac
    grep -qzxF "WINEPREFIX=$WINEPREFIX" "$p/environ" 2>/dev/null || continue
    tr '\0' ' ' <"$p/cmdline" 2>/dev/null | grep -qiE "$1" || continue
    echo "${p#/proc/}"
  done
}
# ticks PID...: their user + system time so far, in clock ticks (after the
# name in parentheses, which may hold spaces, utime and stime are the 12th
# and 13th fields).
ticks() {
  local p sum=0 t
  for p in "$@"; do
    t=$(sed 's/.*) //' "/proc/$p/stat" 2>/dev/null | awk '{ print $12 + $13 }') || t=0
    sum=$((sum + ${t:-0}))
  done
  echo "$sum"
}
percent() { awk -v d="$1" -v t="$ticks_per_second" -v s="$2" 'BEGIN { printf "%.2f\n", d * 100 / t / s }'; }
# measure NAME PATTERN: over 10 s, the share of a core of the processes
# matching PATTERN, and of wineserver, recorded as NAME and NAME-server.
measure() {
  local pids server a0 s0 a1 s1 p
  pids=($(prefix_pids "$2"))
  server=($(prefix_pids '^[^ ]*wineserver'))
  [ ${#pids[@]} -gt 0 ] || fail "no process running $2"
  [ ${#server[@]} -gt 0 ] || fail "no wineserver for $WINEPREFIX"
  log "measuring $(for p in "${pids[@]}" "${server[@]}"; do printf '%s (%s) ' "$p" "$(cat "/proc/$p/comm")"; done)for 10 s"
  a0=$(ticks "${pids[@]}") s0=$(ticks "${server[@]}")
  sleep 10
  a1=$(ticks "${pids[@]}") s1=$(ticks "${server[@]}")
  for p in "${pids[@]}"; do kill -0 "$p" 2>/dev/null || fail "process $p ($2) ended while measured"; done
  record "$1" "$(percent $((a1 - a0)) 10)"
  record "$1-server" "$(percent $((s1 - s0)) 10)"
}
# end_programs PATTERN: ends our prefix's processes matching PATTERN; the
# server and its services stay.
end_programs() {
  local p pids
  pids=($(prefix_pids "$1"))
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait_for 10 e2e_gone "$p" || kill -9 "$p" 2>/dev/null || true; done
  [ -z "$app" ] || wait "$app" 2>/dev/null || true
  app=""
}
# The stand-in's progress file at 57, and the bar showing it (57 of the
# installation's share is 95).
held_at_57() {
  grep -q '^Percent=57' "$download_dir/Zelqa/Percent.ini" 2>/dev/null && page_is progress && [ "$(bar_percent)" -ge 95 ]
}
bare_shown() { [ -n "$(xdotool search --onlyvisible --class zelqa-bench-window 2>/dev/null)" ]; }

for run in $(seq "$cpu_runs"); do
  log "CPU, run $run of $cpu_runs"
  clear_installation
  rm -f "$work/standin.log"
  start_setup
  expect_page 60 welcome "at start"
  click_at 300 230
  xdotool mousemove 0 0
  wait_for 120 held_at_57 || fail "the installer never held at 57 (the bar at ${page:-?} $(bar_percent 2>/dev/null || echo ?)%)"
  sleep 1
  measure cpu-held 'ZelqaSetup\.exe'
  # Still held: the figure is of the held progress, not of a finish page.
  if ! page_is progress || [ "$(bar_percent)" -lt 95 ]; then fail "the installer left the held progress while measured"; fi
  end_programs 'ZelqaSetup\.exe|ZELQACONVERT\.exe'

  wine "$bare_exe" >"$work/bare.log" 2>&1 &
  app=$!
  wait_for 60 bare_shown || fail "no bare window: $(cat "$work/bare.log")"
  sleep 1
  measure cpu-bare 'zelqa-bench-window\.exe'
  end_programs 'zelqa-bench-window\.exe'
done
stop_host

# The rows.
m() { figures "$1" | median; }
held=$(m cpu-held); held_server=$(m cpu-held-server)
bare=$(m cpu-bare); bare_server=$(m cpu-bare-server)
kib() { awk -v b="$1" 'BEGIN { printf "%.1f KiB", b / 1024 }'; }
over() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%+.2f points over bare", a - b }'; }
row() { printf '%-40s | %-24s | %-36s | %-22s | %s\n' "$@"; }
{
  row "size stripped, ZelqaSetup.exe (i686)" "$setup_stripped B ($(kib "$setup_stripped"))" \
    "bare Win32 window: $bare_stripped B" "report" \
    "$(awk -v a="$setup_stripped" -v b="$bare_stripped" 'BEGIN { printf "%.1f x bare", a / b }'); resources $(kib "$setup_rsrc")"
  row "CPU under Wine, held at 57, 10 s (x$cpu_runs)" "$held % of a core" "bare Win32 window idle: $bare %" "report" \
    "$(over "$held" "$bare")"
  row "wineserver CPU, same 10 s (x$cpu_runs)" "$held_server % of a core" "bare Win32 window idle: $bare_server %" \
    "report" "$(over "$held_server" "$bare_server")"
  echo "runs: Windows under Wine: unstripped ZelqaSetup.exe $(stat -c %s "$setup_exe") B," \
    "bare $(stat -c %s "$bare_exe") B; CPU held [$(figures cpu-held)] %, bare [$(figures cpu-bare)] %;" \
    "wineserver held [$(figures cpu-held-server)] %, bare [$(figures cpu-bare-server)] %"
} | tee "$bench_out/table-wine.txt"
