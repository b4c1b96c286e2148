#!/usr/bin/env bash
# The installer against a misbehaving outside world: the vendor host failing
# in each of its ways, a full installer reporting nonsense, an install record
# of another type. For each fault: the page the installer ends on (read from
# the screen), what the download folder holds (never a piece of a download),
# and that everything ends when the window is closed. Prints the matrix.
# usage: fault-matrix.sh BUILD_DIR OUT_DIR [FAULT...]
# Without FAULT every fault is tried; the stall, which takes the 30 s stall
# limit, runs alongside the others on a display and in a network of its own.
set -euo pipefail
. "$(dirname "$0")/../../scripts/lib/session.sh"
e2e_own_network "$0" "$@"
. "$(dirname "$0")/../../scripts/lib/installer.sh"
script=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
build=$(cd "$1" && pwd)
out=$2
shift 2
dpi=96
mkdir -p "$out/results"

work=$(mktemp -d)
installer_environment
export ZELQA_STANDIN_SECONDS=1

faults=(404 500 refuse drop stall trickle nolength redirect not-a-program
  progress-garbage progress-negative progress-huge operation-multi-sz operation-dword)

# What each fault is, and the page it must end on ("progress N", "failure",
# "failure N", "finish").
describe() {
  case $1 in
    404 | 500) echo "host answers $1|failure 0" ;;
    refuse) echo "host closes every connection|failure 0" ;;
    drop) echo "host cuts the body halfway|failure" ;;
    stall) echo "host goes silent after 16 KiB|failure" ;;
    trickle) echo "host sends 8 KiB pieces 10 ms apart|finish" ;;
    nolength) echo "host sends no Content-Length|finish" ;;
    redirect) echo "host redirects (302)|finish" ;;
    not-a-program) echo "download is not a program|failure" ;;
    progress-garbage) echo "installer writes unreadable progress|progress 90" ;;
    progress-negative) echo "installer writes Percent=-50|progress 85" ;;
    progress-huge) echo "installer writes Percent=2147483647|finish" ;;
    operation-multi-sz) echo "Operation=UnInstall as REG_MULTI_SZ at 57|finish" ;;
    operation-dword) echo "Operation as REG_DWORD 1 at 57|progress 95" ;;
    *) return 1 ;;
  esac
}

# The download folder: empty, the complete installer, or pieces (a failure).
folder_state() {
  local payload=$1 left
  left=$(download_leftovers | tr '\n' ' ')
  if [ -n "$left" ]; then
    echo "PIECES: $left"
  elif [ -e "$download_dir/ZELQACONVERT.exe" ]; then
    cmp -s "$download_dir/ZELQACONVERT.exe" "$payload" && echo "complete installer" || echo "PARTIAL installer"
  else
    echo "empty"
  fi
}

# Closes the installer from whatever page it is on (answering 是 if asked)
# and waits for it to end.
close_installer() {
  click_at 573 27
  closed_or_asked() { app_gone || e2e_other_window; }
  wait_for 15 closed_or_asked || fail "neither closed nor asked after the close button"
  if ! app_gone; then
    box_up
    box_click 216 166   # 是
  fi
  wait_for 15 app_gone || fail "installer still running after closing"
}

# A download position from the bar, 1 to 89 (the download's share).
downloading() { page_is "progress *" && [ "${page#progress }" -ge 1 ] && [ "${page#progress }" -le 89 ]; }

# run_fault NAME: one fault from a fresh prefix; writes its row of the matrix.
# Runs in a subshell of its own: its variables are its own and a failure ends only it.
run_fault() {
  name=$1 payload=$build/zelqa-standin host_args=()
  IFS='|' read -r what expect <<<"$(describe "$name")"
  reached="" folder="" ending="" why=""
  started=$(e2e_now_ms)
  fail() { why=$*; echo "FAIL ($name): $*" >&2; exit 1; }
  write_row() {
    local status=$? verdict=ok
    [ "$status" -eq 0 ] || verdict="FAILED: ${why:-exit $status}"
    printf '%s|%s|%s|%s|%s|%s|%ss|%s\n' "$name" "$what" "$expect" "${reached:-?}" "${folder:-?}" "${ending:-?}" \
      $((($(e2e_now_ms) - started + 500) / 1000)) "$verdict" >"$out/results/$name.txt"
    e2e_stop_all
  }
  trap write_row EXIT
  e2e_pids=()
  rm -rf "$work/prefix" "$work/launched.txt"
  : >"$work/standin.log"
  export ZELQA_STANDIN_SCENARIO=normal

  case $name in
    404 | 500 | refuse | drop | stall | redirect | nolength) host_args=(--mode "$name") ;;
    trickle) host_args=(--mode trickle --trickle-bytes 8192 --trickle-interval-ms 10) ;;
    not-a-program)
      payload=$work/not-a-program.bin
      head -c 1048576 /dev/urandom >"$payload"
      host_args=(--payload "$payload")
      ;;
    progress-garbage) ZELQA_STANDIN_SCENARIO=garbage ;;
    progress-negative) ZELQA_STANDIN_SCENARIO=negative ;;
    progress-huge) ZELQA_STANDIN_SCENARIO=huge ;;
    operation-*) ZELQA_STANDIN_SCENARIO=stall57 ;;
  esac
  start_host "${host_args[@]}"
  start_installer
  click_at 300 230
  clicked=$(e2e_now_ms)

  case $name in
    stall)
      expect_page 120 "failure *" "a stalled download"
      [ $(($(e2e_now_ms) - clicked)) -ge 30000 ] || fail "gave up on the stall before the 30 s limit"
      ;;
    trickle)
      wait_for 60 downloading || fail "the bar never showed the download under way: '$page'"
      expect_page 120 finish "a trickled download"
      ;;
    progress-garbage | progress-negative)
      wait_for 60 grep -q "leaving" "$work/standin.log" || fail "the stand-in never left: $(cat "$work/standin.log")"
      ;;
    operation-*)
      wait_for 60 grep -q "Percent=57" "$download_dir/Zelqa/Percent.ini" 2>/dev/null || fail "the stand-in never reached 57"
      expect_page 30 "progress 95" "the full installer at 57"
      if [ "$name" = operation-multi-sz ]; then
        "$build/zelqa-reg" add "$record_key" /v Operation /t REG_MULTI_SZ /d UnInstall /f >/dev/null
      else
        "$build/zelqa-reg" add "$record_key" /v Operation /t REG_DWORD /d 1 /f >/dev/null
      fi
      ;;
  esac

  # The end state: reached, then held for a moment (a monitor polls every 50 ms).
  case $expect in
    "failure") expect_page 60 "failure *" "$what" ;;
    *) expect_page 60 "$expect" "$what" ;;
  esac
  reached=$page
  holds_for 1 page_is "$reached" || fail "the page moved on from '$reached' to '$page'"
  keep "$name"
  folder=$(folder_state "$payload")
  case $folder in PIECES* | PARTIAL*) fail "the download folder holds $folder" ;; esac

  ended=$(e2e_now_ms)
  close_installer
  stop_host
  tenths=$(((($(e2e_now_ms) - ended) + 50) / 100))
  ending="closed in $((tenths / 10)).$((tenths % 10)) s"
  held=$(e2e_strays)
  [ -z "$held" ] || ending="$ending, installer kept running"
}

if [ $# -gt 0 ]; then
  wanted=("$@")
  parallel_stall=""
else
  wanted=("${faults[@]}")
  parallel_stall=1
fi

if [ -n "$parallel_stall" ]; then
  rm -f "$out/results"/*.txt
else
  for fault in "${wanted[@]}"; do rm -f "$out/results/$fault.txt"; done
fi
stall_job=""
if [ -n "$parallel_stall" ] && unshare -n true 2>/dev/null; then
  in_further_network "$script" "$build" "$out" stall >"$out/stall.log" 2>&1 &
  stall_job=$!
  e2e_pids+=($stall_job)
fi

start_xvfb "$dpi"
xvfb_pids=("${e2e_pids[@]}")
for fault in "${wanted[@]}"; do
  describe "$fault" >/dev/null || fail "no fault named $fault"
  [ "$fault" = stall ] && [ -n "$stall_job" ] && continue
  (run_fault "$fault") || true
  e2e_pids=("${xvfb_pids[@]}")
done
if [ -n "$stall_job" ]; then
  wait "$stall_job" || true
fi

# The matrix, in the order above.
{
  printf '%-20s| %-44s| %-12s| %-12s| %-20s| %-40s| %-6s| %s\n' fault "what" expected reached "download folder" ending time result
  for fault in "${wanted[@]}"; do
    if [ -f "$out/results/$fault.txt" ]; then
      IFS='|' read -r name what expect reached folder ending took verdict <"$out/results/$fault.txt"
    else
      IFS='|' read -r what expect <<<"$(describe "$fault")"
      name=$fault reached="?" folder="?" ending="?" took="?" verdict="FAILED: no result (see $out/stall.log)"
    fi
    printf '%-20s| %-44s| %-12s| %-12s| %-20s| %-40s| %-6s| %s\n' "$name" "$what" "$expect" "$reached" "$folder" "$ending" "$took" "$verdict"
  done
} >"$out/matrix.txt"
cat "$out/matrix.txt"
! grep -q '| FAILED' "$out/matrix.txt" || fail "some faults were not handled as expected (matrix in $out/matrix.txt)"
echo "fault-matrix: passed; screenshots in $out"
