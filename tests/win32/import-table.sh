#!/bin/sh
# The installer's import table names only DLLs that Windows never looks for
# in the program's folder: KnownDLLs present on every Windows it runs on (7 to
# 11; the list shrank over the years, so this is what they share). Every other
# DLL is delay-loaded from System32. And the program starts in ZelqaStartup,
# which restricts DLL loading before anything else runs.
# Usage: import-table.sh OBJDUMP NM ZelqaSetup.exe
set -eu
usage="usage: import-table.sh OBJDUMP NM ZelqaSetup.exe"
objdump=${1:?$usage}
nm=${2:?$usage}
exe=${3:?$usage}

allowed="advapi32 clbcatq comdlg32 difxapi gdi32 imagehlp imm32 kernel32 msctf msvcrt normaliz nsi ole32
oleaut32 psapi rpcrt4 sechost setupapi shell32 shlwapi user32 wldap32 ws2_32"

headers=$("$objdump" -p "$exe") || { echo "FAIL: $objdump cannot read $exe" >&2; exit 1; }
imports=$(printf '%s\n' "$headers" | sed -n 's/^[[:space:]]*DLL Name: *//p' | tr 'A-Z' 'a-z' | sed 's/\.dll$//')
[ -n "$imports" ] || { echo "FAIL: no import table found in $exe" >&2; exit 1; }
status=0
for dll in $imports; do
    case " $(echo $allowed) " in
        *" $dll "*) ;;
        *) echo "FAIL: $exe imports $dll.dll, which Windows may load from the program's folder" >&2; status=1 ;;
    esac
done

entry=$(printf '%s\n' "$headers" | sed -n 's/^AddressOfEntryPoint[[:space:]]*//p')
base=$(printf '%s\n' "$headers" | sed -n 's/^ImageBase[[:space:]]*//p')
startup=$("$nm" "$exe" | sed -n 's/^\([0-9a-fA-F]*\) T _\{0,1\}ZelqaStartup$/\1/p')
if [ -z "$startup" ] || [ -z "$entry" ] || [ -z "$base" ]; then
    echo "FAIL: no ZelqaStartup ($startup), entry point ($entry) or image base ($base) in $exe" >&2
    status=1
elif [ $((0x$base + 0x$entry)) -ne $((0x$startup)) ]; then
    echo "FAIL: $exe starts at $entry, not in ZelqaStartup ($startup, base $base)" >&2
    status=1
fi
[ $status -eq 0 ] && echo "import-table: $(echo $imports) are all KnownDLLs; the entry point is ZelqaStartup"
exit $status
