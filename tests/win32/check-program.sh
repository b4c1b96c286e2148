#!/bin/sh
# Checks a built ZelqaSetup.exe without running it: a GUI program of the
# build's architecture that imports only system DLLs and carries its
# resources (the skin's pictures, the icon group, both dialog templates, the
# manifest and the version information). Runs on every machine, also where
# Wine cannot run this build.
# Usage: check-program.sh OBJDUMP ZelqaSetup.exe ARCH Skin.rc
set -eu
objdump=${1:?usage: check-program.sh OBJDUMP PROGRAM ARCH SKIN_RC}
program=${2:?}
arch=${3:?}
skin_rc=${4:?}
failures=0
fail() { echo "check-program: $*" >&2; failures=$((failures + 1)); }

case $arch in
  i686) format=pei-i386 ;;
  x86_64) format=pei-x86-64 ;;
  *) echo "check-program: no Windows architecture '$arch'" >&2; exit 2 ;;
esac
headers=$("$objdump" -p "$program")
"$objdump" -f "$program" | grep -q "file format $format\$" || fail "$program is not $format"
printf '%s\n' "$headers" | grep -q '^Subsystem[[:space:]].*(Windows GUI)' || fail "not a GUI program"

# Every DLL it imports comes with Windows.
system_dlls=" advapi32.dll comctl32.dll gdi32.dll gdiplus.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll
  shell32.dll shlwapi.dll urlmon.dll user32.dll wininet.dll "
imports=$(printf '%s\n' "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$imports" ] || fail "no import table"
for dll in $imports; do
  case $system_dlls in *" $dll "*) ;; *) fail "imports $dll, which is no system DLL" ;; esac
done

# The resource tree as TYPE/ID lines, IDs in hex: types are numbers or
# names (PNG). objdump indents each level of the tree by two more spaces.
resources=$(printf '%s\n' "$headers" | sed -n '/^The .rsrc Resource Directory section/,/^$/p' | awk '
  /Entry:/ {
    match($0, /^[0-9a-f]+ +/); depth = RLENGTH - index($0, " ")
    if ($0 ~ /Entry: ID:/) { sub(/.*ID: 0x0*/, ""); sub(/,.*/, ""); key = $0 }
    else { sub(/.*\]: /, ""); sub(/,.*/, ""); key = $0 }
    if (depth == 2) type = key
    else if (depth == 4) print type "/" key
  }')
# An icon, the icon group 128, the dialogs 102 and 103, the manifest, the
# version information, and each picture the skin's script names.
expected="3/1 e/80 5/66 5/67 18/1 10/1"
for id in $(grep -o 'png/[0-9]*\.png' "$skin_rc" | tr -dc '0-9\n'); do expected="$expected PNG/$(printf '%x' "$id")"; done
for entry in $expected; do
  printf '%s\n' "$resources" | grep -qx "$entry" || fail "no resource $entry"
done

if [ "$failures" -ne 0 ]; then
  exit 1
fi
echo "check-program: $program is a $format GUI program importing only system DLLs ($(echo $imports)), with $(printf '%s\n' "$resources" | wc -l) resources"
