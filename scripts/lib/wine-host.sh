#!/bin/sh
# Which Windows build this machine's Wine can run, and the Wine commands to
# run it with: the one place that chooses them. Sourced by the scripts, it
# sets and exports the variables below for the build to test here: the
# shipped 32-bit one where 32-bit programs run, else the 64-bit one. Run, it
# prints them (NAME=VALUE a line), for that build or, as `wine-host.sh ARCH`,
# for a build of ARCH (i686 or x86_64), which CMake asks for.
#
#   ZELQA_WINE_RUNS    1 when Wine can run that build here, else 0
#   ZELQA_WINE_PRESET  its preset: windows (i686) or windows64 (x86_64)
#   ZELQA_WINE_ARCH    i686 or x86_64
#   ZELQA_WINE         the Wine loader for it (also to be WINELOADER)
#   ZELQA_WINESERVER   the Wine server
#   ZELQA_WINE_WHY     one line saying why
#
# /usr/bin/wine always picks the 32-bit loader when wine32 is installed,
# whether or not the kernel runs 32-bit code: the loaders are named here
# instead. ZELQA_WINE_FORCE64=1 takes the 64-bit path anyway (to try that
# path on a machine that runs both).

# zelqa_wine_for ARCH: sets the variables for a build of ARCH.
zelqa_wine_for() {
  ZELQA_WINESERVER=/usr/lib/wine/wineserver64
  [ -x "$ZELQA_WINESERVER" ] || ZELQA_WINESERVER=/usr/lib/wine/wineserver32
  ZELQA_WINE_ARCH=$1 ZELQA_WINE_RUNS=0
  case $1 in
    x86_64)
      ZELQA_WINE_PRESET=windows64 ZELQA_WINE=/usr/lib/wine/wine64
      if [ -x "$ZELQA_WINE" ]; then
        ZELQA_WINE_RUNS=1 ZELQA_WINE_WHY="the 64-bit build runs under Wine's 64-bit loader"
      else
        ZELQA_WINE_WHY="Wine's 64-bit loader ($ZELQA_WINE) is not installed"
      fi ;;
    i686)
      ZELQA_WINE_PRESET=windows ZELQA_WINE=/usr/lib/wine/wine
      if [ "${ZELQA_WINE_FORCE64:-}" = 1 ]; then
        ZELQA_WINE_WHY="ZELQA_WINE_FORCE64=1 asks for the 64-bit path"
      elif [ ! -x "$ZELQA_WINE" ]; then
        ZELQA_WINE_WHY="Wine's 32-bit loader ($ZELQA_WINE) is not installed"
      elif _zelqa_err=$("$ZELQA_WINE" --version 2>&1 >/dev/null); then
        ZELQA_WINE_RUNS=1 ZELQA_WINE_WHY="this machine runs 32-bit programs"
      else
        # The shell's message ends in the reason, e.g. "Exec format error".
        ZELQA_WINE_WHY="this machine runs no 32-bit code (Wine's 32-bit loader fails: ${_zelqa_err##*: })"
      fi ;;
    *)
      ZELQA_WINE_PRESET="" ZELQA_WINE="" ZELQA_WINE_WHY="no Windows build for $1" ;;
  esac
}

# zelqa_wine_pick: sets the variables for the build to test here.
zelqa_wine_pick() {
  zelqa_wine_for i686
  [ "$ZELQA_WINE_RUNS" = 1 ] && return 0
  _zelqa_why32=$ZELQA_WINE_WHY
  zelqa_wine_for x86_64
  ZELQA_WINE_WHY="$_zelqa_why32; the 32-bit build is built and checked statically"
}

# Sourced: the build to test here (a caller may then ask for another ARCH).
# Run: the one its argument names, printed.
case "${0##*/}" in
  wine-host.sh)
    if [ -n "${1:-}" ]; then zelqa_wine_for "$1"; else zelqa_wine_pick; fi
    for _zelqa_name in ZELQA_WINE_RUNS ZELQA_WINE_PRESET ZELQA_WINE_ARCH ZELQA_WINE ZELQA_WINESERVER ZELQA_WINE_WHY; do
      eval "printf '%s=%s\n' $_zelqa_name \"\$$_zelqa_name\""
    done ;;
  *) zelqa_wine_pick ;;
esac
export ZELQA_WINE_RUNS ZELQA_WINE_PRESET ZELQA_WINE_ARCH ZELQA_WINE ZELQA_WINESERVER ZELQA_WINE_WHY
