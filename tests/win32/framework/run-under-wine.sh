#!/bin/sh
# Runs a cross-built test program under Wine (in $WINEPREFIX, made by
# wine-prefix.sh) on a virtual screen of its own.
# Usage: [ZELQA_WINE_DPI=144] run-under-wine.sh PROGRAM.exe [ARGUMENTS...]
#
# Wine reads the screen DPI (LogPixels) once, when a program starts. A run at
# ZELQA_WINE_DPI other than the prefix's 96 sets it in the prefix for its length
# and puts 96 back after, so the prefix is the same for every other test. A
# marker in the prefix tells what is set; a run cut short between the change
# and its undoing leaves it unknown, and the next run sets its own DPI again.
set -eu
: "${WINEPREFIX:?run-under-wine.sh: WINEPREFIX is not set}"
[ -n "${ZELQA_WINE:-}" ] || . "$(dirname "$0")/../../../scripts/lib/wine-host.sh"
export WINELOADER="$ZELQA_WINE"
want=${ZELQA_WINE_DPI:-96}
marker="$WINEPREFIX/.zelqa-logpixels"

set_dpi() {
    if [ "$(cat "$marker" 2>/dev/null || echo 96)" = "$1" ]; then
        return
    fi
    echo unknown > "$marker"
    "$ZELQA_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    # Written out before the program starts, which reads it then.
    "$ZELQA_WINESERVER" -w
    echo "$1" > "$marker"
}

set_dpi "$want"
status=0
xvfb-run -a -s "-screen 0 1600x1200x24" "$ZELQA_WINE" "$@" || status=$?
"$ZELQA_WINESERVER" -k >/dev/null 2>&1 || true
set_dpi 96
exit $status
