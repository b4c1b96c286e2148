#!/usr/bin/env bash
# End to end: the installer, started without a session bus and with a PATH
# whose first folder anyone could have filled, starts nothing from it. (The
# D-Bus library SDL uses would look a launcher up there to start a bus.)
# usage: path-e2e.sh BUILD_DIR OUT_DIR
set -euo pipefail
. "$(dirname "$0")/../../scripts/lib/session.sh"
e2e_own_network "$0" "$@"
. "$(dirname "$0")/../../scripts/lib/installer.sh"
installer_test_setup "$1" "$2" 96
start_xvfb "$dpi"

planted=$work/planted
mkdir -p "$planted" "$work/runtime"
chmod 700 "$work/runtime"
for name in dbus-launch dbus-daemon xdg-open sh; do
  printf '#!/bin/sh\necho "%s $*" >> %s/started.txt\n' "$name" "$work" >"$planted/$name"
  chmod +x "$planted/$name"
done
install_probe
env -u DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR="$work/runtime" PATH="$planted:$PATH" \
  timeout 20 "$build/zelqa-first-frame" "$probe_x" "$probe_y" 718AB9 "$build/zelqa-setup" >/dev/null ||
  fail "no first frame"
# Anything it started had a moment to run.
sleep 1
[ ! -e "$work/started.txt" ] || fail "started from PATH: $(cat "$work/started.txt")"
echo "path-e2e: passed"
