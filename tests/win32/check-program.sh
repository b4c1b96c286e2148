#!/bin/sh
# Checks a built ZelqaSetup.exe without running it, on every machine (also
# where Wine cannot run this build):
#  - a GUI program of the build's architecture;
#  - its import table names only DLLs that Windows never looks for in the
#    program's folder: KnownDLLs present on every Windows it runs on (7 to
#    11; the list shrank over the years, so known-dlls.txt holds what they
#    share). Every other DLL is delay-loaded from System32;
#  - it starts in ZelqaStartup, which restricts DLL loading before anything
#    else runs;
#  - it carries its resources: the skin's pictures, the icon group, both
#    dialog templates, the manifest and the version information.
# Usage: check-program.sh OBJDUMP NM ZelqaSetup.exe ARCH Skin.rc
set -eu
usage="usage: check-program.sh OBJDUMP NM PROGRAM ARCH SKIN_RC"
objdump=${1:?$usage}
nm=${2:?$usage}
program=${3:?$usage}
arch=${4:?$usage}
skin_rc=${5:?$usage}
failures=0
fail() { echo "check-program: $*" >&2; failures=$((failures + 1)); }

case $arch in
  i686) format=pei-i386 ;;
  x86_64) format=pei-x86-64 ;;
  *) echo "check-program: no Windows architecture '$arch'" >&2; exit 2 ;;
esac
headers=$("$objdump" -p "$program") || { echo "check-program: $objdump cannot read $program" >&2; exit 1; }
"$objdump" -f "$program" | grep -q "file format $format\$" || fail "$program is not $format"
printf '%s\n' "$headers" | grep -q '^Subsystem[[:space:]].*(Windows GUI)' || fail "not a GUI program"

allowed=$(cat "$(dirname "$0")/known-dlls.txt")
imports=$(printf '%s\n' "$headers" | sed -n 's/^[[:space:]]*DLL Name: *//p' | tr 'A-Z' 'a-z' | sed 's/\.dll$//')
[ -n "$imports" ] || fail "no import table"
for dll in $imports; do
  case " $(echo $allowed) " in
    *" $dll "*) ;;
    *) fail "imports $dll.dll, which Windows may load from the program's folder" ;;
  esac
done

entry=$(printf '%s\n' "$headers" | sed -n 's/^AddressOfEntryPoint[[:space:]]*//p')
base=$(printf '%s\n' "$headers" | sed -n 's/^ImageBase[[:space:]]*//p')
startup=$("$nm" "$program" | sed -n 's/^\([0-9a-fA-F]*\) T _\{0,1\}ZelqaStartup$/\1/p')
if [ -z "$startup" ] || [ -z "$entry" ] || [ -z "$base" ]; then
  fail "no ZelqaStartup ($startup), entry point ($entry) or image base ($base)"
elif [ $((0x$base + 0x$entry)) -ne $((0x$startup)) ]; then
  fail "starts at $entry, not in ZelqaStartup ($startup, base $base)"
fi

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
echo "check-program: $program is a $format GUI program starting in ZelqaStartup, importing only KnownDLLs" \
  "($(echo $imports)), with $(printf '%s\n' "$resources" | wc -l) resources"
