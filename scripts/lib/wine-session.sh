# How the end-to-end scripts and the benchmarks start the Windows installer
# under Wine; everything else is session.sh's and installer.sh's, which this
# sources. The caller then calls wine_test_setup (or sets setup_exe, out, dpi
# and work itself), exports WINEPREFIX and calls wine_session_begin. The Wine
# commands are the ones scripts/lib/wine-host.sh chooses.

set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/session.sh"
. "$(dirname "${BASH_SOURCE[0]}")/installer.sh"
[ -n "${ZELQA_WINE:-}" ] || . "$(dirname "${BASH_SOURCE[0]}")/wine-host.sh"
export WINELOADER=$ZELQA_WINE
wine=$ZELQA_WINE
wineserver=$ZELQA_WINESERVER

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

# The prefix's screen DPI, read by each Wine process when it starts.
set_logpixels() {
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}

# What the installer and the stand-in leave in the prefix: the download folder
# (C:\brovix, the desktop being on C:) and what was moved aside from its name,
# the default install location and the install record (in the 32-bit view,
# where the full installer looks).
drive_c=""
download_dir=""
install_dir=""
record_key='HKLM\Software\brovix\Zelqa'
record_tool=("$wine" reg)
record_view=(/reg:32)
clear_installation() {
  # With the download folder go the earlier ones it moved aside (brovix-*).
  rm -rf "$download_dir" "$download_dir"-* "$install_dir"
  "$wine" reg delete "$record_key" /f /reg:32 >/dev/null 2>&1 || true
}

# Whatever the installer started (the full installer, the launcher) ends with
# the prefix's server; the other tests of the prefix expect 96 DPI.
wine_cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "${WINEPREFIX:-}" ] || return 0
  "$wineserver" -k >/dev/null 2>&1 || true
  set_logpixels 96 || true
  "$wineserver" -k >/dev/null 2>&1 || true
}
e2e_cleanup_hooks+=(wine_cleanup)

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
  start_xvfb "$dpi"
  "$wineserver" -k >/dev/null 2>&1 || true
  set_logpixels "$dpi" || fail "cannot set LogPixels in $WINEPREFIX"
  clear_installation
  # Wine's windows belong to its own processes, found by the program's class.
  window_class=zelqasetup
  installer_command=("$wine" "$setup_exe")
}
