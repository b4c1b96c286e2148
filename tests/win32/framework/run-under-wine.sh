#!/bin/sh
# Runs a cross-built test program under Wine (in $WINEPREFIX, made by
# wine-prefix.sh) on a virtual screen of its own.
# Usage: run-under-wine.sh PROGRAM.exe [ARGUMENTS...]
set -eu
: "${WINEPREFIX:?run-under-wine.sh: WINEPREFIX is not set}"
status=0
xvfb-run -a -s "-screen 0 1600x1200x24" wine "$@" || status=$?
wineserver -k >/dev/null 2>&1 || true
exit $status
