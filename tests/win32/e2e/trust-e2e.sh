#!/usr/bin/env bash
# End to end under Wine, the installer's trust chain. It is started from a
# Downloads folder that holds a marker DLL under the name of each DLL it
# delay-loads and of what those import (as far as Wine can show it, see
# below), with Wine told to prefer such a DLL as Windows' search order would
# (WINEDLLOVERRIDES=name=n,b); none of them is ever loaded, and every DLL the
# installer loads comes from System32. A full
# installer the vendor did not sign is removed and never started, and the
# failure line shows; 重试 against the vendor's signed one installs to the
# finish page.
# usage: trust-e2e.sh ZelqaSetup.exe zelqa-standin.exe VENDOR_HOST OUT_DIR DPI MARKER.dll OBJDUMP
# (in the environment: WINEPREFIX, the prefix made by wine-prefix.sh)
. "$(dirname "$0")/../../../scripts/lib/wine-session.sh"
wine_test_setup "$1" "$2" "$3" "$4" "$5"
usage="usage: trust-e2e.sh ZelqaSetup.exe zelqa-standin.exe VENDOR_HOST OUT_DIR DPI MARKER.dll OBJDUMP"
marker_dll=${6:?$usage}
objdump=${7:?$usage}
export ZELQA_STANDIN_SECONDS=1
export ZELQA_STANDIN_LOG="Z:${work//\//\\}\\standin.log"
unset ZELQA_STANDIN_MARKER ZELQA_STANDIN_SCENARIO
wine_session_begin

# The DLLs planted: those the installer delay-loads from System32, and what
# they import in turn, which the same System32-only load brings along.
# Wine has no KnownDLLs: it resolves the imports of its own system DLLs as
# it would a program's, from the program's folder first, where Windows takes
# a KnownDLL's dependencies from System32 along with it. So what the
# installer's KnownDLL imports import in turn under Wine (user32's
# version.dll, for one) is loaded before the installer's first instruction,
# and is not planted. Nor does Wine apply SetDefaultDllDirectories to the
# delay imports of its own DLLs, which Windows does: its wininet.dll
# delay-loads crypt32.dll (as its GDI+ does windowscodecs.dll, and its user32
# imm32.dll) from the program's folder first, and what those import with
# them. Those are not planted either.
# Whatever is not planted must still come from System32 (checked at the end).
wine_delay_loaded="crypt32 windowscodecs imm32"
imports_of() { "$objdump" -p "$1" 2>/dev/null | sed -n 's/^[[:space:]]*DLL Name: *//p' | tr 'A-Z' 'a-z' | sed 's/\.dll$//'; }
# closure NAME...: the names and all they import under Wine, one line.
closure() {
  local queue="$* " seen=" " dll
  while [ -n "${queue// /}" ]; do
    read -r dll queue <<<"$queue" || true
    [ -n "$dll" ] || continue
    case "$seen" in *" $dll "*) continue ;; esac
    seen="$seen$dll "
    [ -f "$drive_c/windows/system32/$dll.dll" ] &&
      queue="$queue $(imports_of "$drive_c/windows/system32/$dll.dll" | tr '\n' ' ')"
  done
  echo "$seen"
}
delay_loaded="urlmon wininet gdiplus comctl32 wintrust crypt32"
# Those common to Windows 7 to 11, as the program's import table may name them.
known_dlls=$(echo $(cat "$(dirname "$0")/../known-dlls.txt"))
with_known=$(closure $(imports_of "$setup_exe" | while read -r dll; do
  case " $known_dlls " in *" $dll "*) echo "$dll" ;; esac
done))
# What those bring along comes the same way.
wine_delay_loaded=$(closure $wine_delay_loaded)
planted="" not_planted=""
for dll in $(closure $delay_loaded); do
  # KnownDLLs never come from the program's folder on Windows: planting
  # them would test Wine's loader, not the installer.
  case " $known_dlls " in *" $dll "*) continue ;; esac
  case "$dll" in ntdll | kernelbase | api-ms-* | ext-ms-*) continue ;; esac
  case "$with_known $wine_delay_loaded " in
    *" $dll "*) not_planted="$not_planted $dll" ;;
    *) planted="$planted $dll" ;;
  esac
done
for dll in urlmon wininet gdiplus comctl32 wintrust; do
  case " $planted " in *" $dll "*) ;; *) fail "$dll.dll, which the installer delay-loads, cannot be planted" ;; esac
done
echo "planted:$planted"
echo "not planted, as Wine loads them by its own search order:$not_planted"

downloads="$drive_c/users/Public/Downloads/zelqa-trust"
rm -rf "$downloads"
mkdir -p "$downloads"
cp "$setup_exe" "$downloads/ZelqaSetup.exe"
setup_exe="$downloads/ZelqaSetup.exe"
overrides=""
for dll in $planted; do
  cp "$marker_dll" "$downloads/$dll.dll"
  overrides="${overrides:+$overrides,}$dll"
done
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}$overrides=n,b"
export WINEDEBUG="-all,+loaddll"

# Any failure also names the planted DLLs that were loaded.
eval "session_$(declare -f fail)"
fail() {
  local loaded
  loaded=$(planted_loaded)
  [ -z "$loaded" ] || echo "  planted DLLs that were loaded: $loaded" >&2
  session_fail "$@"
}
planted_loaded() { ls "$downloads"/*.loaded 2>/dev/null | sed 's|.*/||; s|\.loaded$||' | tr '\n' ' '; }
# The failure line's red text under the bar.
failure_shown() { page_is "failure *"; }

# --- The vendor host serves the stand-in with its signature taken off.
osslsigncode remove-signature -in "$standin_exe" -out "$work/unsigned.exe" >/dev/null ||
  fail "cannot take the signature off $standin_exe"
cmp -s "$work/unsigned.exe" "$standin_exe" && fail "$standin_exe was not signed by the build"
start_host --payload "$work/unsigned.exe"
start_installer
[ -z "$(planted_loaded)" ] || fail "planted DLLs were loaded at start: $(planted_loaded)"
click_at 300 230
wait_for 60 failure_shown || fail "no failure line for an unsigned full installer (the wizard shows '${page:-?}')"
shot 01-unsigned-refused
grep -q 'GET /down/down?path=ZELQACONVERT_Download.exe' "$work/host.log" || fail "the host saw no download: $(cat "$work/host.log")"
[ ! -e "$download_dir/ZELQACONVERT.exe" ] || fail "the unsigned full installer was left in $download_dir"
sleep 2
[ ! -e "$install_dir/brovixStart.exe" ] && [ ! -e "$work/standin.log" ] || fail "the unsigned full installer was started"

# --- 重试 against the vendor's signed one installs.
start_host --payload "$standin_exe"
click_at 146 344   # 重试？
expect_page 120 finish "after retrying with the signed full installer"
shot 02-signed-installed
cmp -s "$download_dir/ZELQACONVERT.exe" "$standin_exe" || fail "the downloaded installer differs from what the host served"
[ -f "$install_dir/brovixStart.exe" ] || fail "the signed full installer installed no launcher in $install_dir"
click_at 573 27
wait_for 15 app_gone || fail "installer still running after closing the finish page"

# --- Nothing planted was loaded, and every DLL came from System32.
[ -z "$(planted_loaded)" ] || fail "planted DLLs were loaded: $(planted_loaded)"
# Wine's trace doubles each backslash of a path.
loaded=$(tr -d '\r' <"$work/setup.log" | sed -n 's/.*Loaded L"\([^"]*\)".*/\1/p' | sed 's/\\\\/\\/g' | sort -u)
echo "$loaded" | grep -qi '\\system32\\urlmon.dll$' || fail "urlmon.dll was never loaded: the download did not run as expected"
echo "$loaded" | grep -qi '\\system32\\wintrust.dll$' || fail "wintrust.dll was never loaded: no signature was checked"
# (The common controls' version 6 comes from the system's side-by-side store.)
outside=$(echo "$loaded" | grep -vi '\.exe$' | grep -vi '^C:\\windows\\\(system32\|syswow64\|winsxs\)\\' || true)
[ -z "$outside" ] || fail "DLLs loaded from outside System32: $outside"
echo "trust-e2e (Wine): passed at $dpi DPI; $(echo "$loaded" | grep -ci '\.dll$') DLLs, all from System32; screenshots in $out"
