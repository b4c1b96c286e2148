#!/bin/sh
# Makes the Wine prefix the cross-built tests run in, when it is missing or was
# made by another Wine version or for another test CA: a 64-bit prefix (it runs
# 32- and 64-bit programs and has both registry views) whose local-machine
# root store trusts the local test CA, at 96 DPI, with the UI face mapped to
# an installed Chinese one, its windows not handed to a window manager.
# Nothing outside the prefix changes. Runs the Wine
# commands scripts/lib/wine-host.sh chooses (ZELQA_WINE, ZELQA_WINESERVER).
# Usage: wine-prefix.sh PREFIX TRUST_TOOL.exe CA.pem
set -eu
prefix=${1:?usage: wine-prefix.sh PREFIX TRUST_TOOL.exe CA.pem}
trust=${2:?usage: wine-prefix.sh PREFIX TRUST_TOOL.exe CA.pem}
ca=${3:?usage: wine-prefix.sh PREFIX TRUST_TOOL.exe CA.pem}

# The prefix is thrown away and made anew: never anything but a folder of ours.
case "$(basename "$prefix")" in
    wine-prefix) ;;
    *) echo "wine-prefix.sh: refusing to use $prefix (its name must be wine-prefix)" >&2; exit 1 ;;
esac
if [ ! -f "$ca" ]; then
    echo "wine-prefix.sh: no test CA at $ca; configuring the dev preset makes it" >&2
    exit 1
fi

[ -n "${ZELQA_WINE:-}" ] || . "$(dirname "$0")/../../scripts/lib/wine-host.sh"
wine=$ZELQA_WINE wineserver=$ZELQA_WINESERVER
export WINEPREFIX="$prefix" WINEARCH=win64 WINELOADER="$wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
stamp="$prefix/.zelqa-prefix"
want="$("$wine" --version) $(sha256sum "$ca" | cut -d' ' -f1) ui-2"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ]; then
    exit 0
fi

"$wineserver" -k >/dev/null 2>&1 || true
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
echo "wine-prefix.sh: making $prefix ($("$wine" --version))"
"$wine" wineboot -i >/dev/null 2>&1
"$wineserver" -w
"$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null
"$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Microsoft YaHei" /t REG_SZ \
    /d "WenQuanYi Micro Hei" /f >/dev/null
# The virtual screens the tests run on have no window manager: a managed
# window's hiding would wait two seconds each time for one to answer.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null
# Drive Z: is the host's root in a new prefix.
"$wine" "$trust" "Z:$(printf '%s' "$ca" | tr '/' '\\')"
"$wineserver" -w
printf '%s\n' "$want" > "$stamp"
