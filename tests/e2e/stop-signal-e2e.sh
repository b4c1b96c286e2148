#!/usr/bin/env bash
# End to end: SIGTERM the moment the installer's first frame is on the
# screen, again and again (zelqa-first-frame sends it then and waits for the
# program). Every time the installer ends at once: a stop signal that comes
# while the window's loop is about to sleep must not be lost.
# usage: stop-signal-e2e.sh BUILD_DIR OUT_DIR [RUNS]
set -euo pipefail
. "$(dirname "$0")/../../scripts/lib/session.sh"
e2e_own_network "$0" "$@"
. "$(dirname "$0")/../../scripts/lib/installer.sh"
installer_test_setup "$1" "$2" 96
runs=${3:-20}
start_xvfb "$dpi"
install_probe
for run in $(seq "$runs"); do
  timeout 20 "$build/zelqa-first-frame" "$probe_x" "$probe_y" 718AB9 "$build/zelqa-setup" >/dev/null ||
    fail "run $run: the installer did not end after SIGTERM at its first frame"
done
echo "stop-signal-e2e: passed, $runs runs"
