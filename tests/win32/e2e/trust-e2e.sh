#!/usr/bin/env bash
# End to end under Wine, the installer's trust chain. It is started from a
# Downloads folder that holds a DLL under the name of every system DLL it may
# load other than the KnownDLLs, with Wine told to prefer such a DLL as
# Windows' search order would (WINEDLLOVERRIDES=name=n,b); none of them is
# ever loaded, and every DLL the installer loads comes from System32. A full
# installer the vendor did not sign is removed and never started, and the
# failure line shows; 重试 against the vendor's signed one installs to the
# finish page.
# usage: trust-e2e.sh ZelqaSetup.exe zelqa-standin.exe VENDOR_HOST OUT_DIR DPI MARKER.dll
# (in the environment: WINEPREFIX, the prefix made by wine-prefix.sh)
. "$(dirname "$0")/wine-session.sh"
wine_test_setup "$1" "$2" "$3" "$4" "$5"
marker_dll=${6:?usage: trust-e2e.sh ZelqaSetup.exe zelqa-standin.exe VENDOR_HOST OUT_DIR DPI MARKER.dll}
export ZELQA_STANDIN_SECONDS=1
export ZELQA_STANDIN_LOG="Z:${work//\//\\}\\standin.log"
unset ZELQA_STANDIN_MARKER ZELQA_STANDIN_SCENARIO
wine_session_begin

# What the installer delay-loads, and what those and the shell's start of a
# program load in turn, on Windows or under Wine.
planted="urlmon wininet gdiplus comctl32 wintrust crypt32 iertutil version uxtheme dwmapi propsys winhttp
secur32 sspicli bcrypt ncrypt msasn1 cryptnet cryptbase userenv profapi netapi32 dnsapi iphlpapi mswsock
schannel mpr winmm windowscodecs dbghelp apphelp srvcli wkscli ntmarta"
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

planted_loaded() { ls "$downloads"/*.loaded 2>/dev/null | sed 's|.*/||; s|\.loaded$||' | tr '\n' ' '; }
# The failure line's red text under the bar.
failure_shown() { page_is progress && [ "$(count_colour 40 332 300 24 "255 0 0" 70)" -ge "$(S 20)" ]; }

# --- The vendor host serves the stand-in with its signature taken off.
osslsigncode remove-signature -in "$standin_exe" -out "$work/unsigned.exe" >/dev/null ||
  fail "cannot take the signature off $standin_exe"
cmp -s "$work/unsigned.exe" "$standin_exe" && fail "$standin_exe was not signed by the build"
start_host --payload "$work/unsigned.exe"
start_setup
[ -z "$(planted_loaded)" ] || fail "planted DLLs were loaded at start: $(planted_loaded)"
expect_page 30 welcome "at start"
click_at 300 230
wait_for 60 failure_shown || fail "no failure line for an unsigned full installer (the wizard shows '${page:-?}')"
shot 01-unsigned-refused
grep -q 'GET /down/down?path=ZELQACONVERT_Download.exe' "$work/host.log" || fail "the host saw no download: $(cat "$work/host.log")"
[ ! -e "$download_dir/ZELQACONVERT.exe" ] || fail "the unsigned full installer was left in $download_dir"
[ ! -e "$work/standin.log" ] || fail "the unsigned full installer was started"

# --- 重试 against the vendor's signed one installs.
start_host --payload "$standin_exe"
click_at 146 344   # 重试？
expect_page 120 finish "after retrying with the signed full installer"
shot 02-signed-installed
cmp -s "$download_dir/ZELQACONVERT.exe" "$standin_exe" || fail "the downloaded installer differs from what the host served"
[ -s "$work/standin.log" ] || fail "the signed full installer did not run"
click_at 573 27
wait_for 15 app_gone || fail "installer still running after closing the finish page"

# --- Nothing planted was loaded, and every DLL came from System32.
[ -z "$(planted_loaded)" ] || fail "planted DLLs were loaded: $(planted_loaded)"
# Wine's trace doubles each backslash of a path.
loaded=$(tr -d '\r' <"$work/setup.log" | sed -n 's/.*Loaded L"\([^"]*\)".*/\1/p' | sed 's/\\\\/\\/g' | sort -u)
echo "$loaded" | grep -qi '\\system32\\urlmon.dll$' || fail "urlmon.dll was never loaded: the download did not run as expected"
echo "$loaded" | grep -qi '\\system32\\wintrust.dll$' || fail "wintrust.dll was never loaded: no signature was checked"
outside=$(echo "$loaded" | grep -vi '\.exe$' | grep -vi '^C:\\windows\\\(system32\|syswow64\)\\' || true)
[ -z "$outside" ] || fail "DLLs loaded from outside System32: $outside"
echo "trust-e2e (Wine): passed at $dpi DPI; $(echo "$loaded" | grep -ci '\.dll$') DLLs, all from System32; screenshots in $out"
