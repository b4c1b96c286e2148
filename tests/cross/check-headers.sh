#!/usr/bin/env bash
# Compiles every portable header after <windows.h> with the Windows cross
# compiler, so that a header that redefines a platform name, or leans on the
# Linux backend, is caught on Linux already. Usage: check-headers.sh [COMPILER]
set -euo pipefail
cd "$(dirname "$0")/../.."
cxx="${1:-x86_64-w64-mingw32-g++-posix}"
command -v "$cxx" >/dev/null || { echo "check-headers: $cxx not installed (scripts/setup installs mingw-w64)"; exit 1; }

flags=(-std=c++20 -Wall -Wextra -Werror -DUNICODE -D_UNICODE -DNOMINMAX -DWIN32_LEAN_AND_MEAN -I.)
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# <windows.h> precompiled once: each check then costs only its own header.
echo '#include <windows.h>' > "$work/platform.h"
"$cxx" "${flags[@]}" -x c++-header "$work/platform.h" -o "$work/platform.h.gch"
passed=0 failed=0
for header in $(ls base/*.h framework/*.h os/*.h common/*.h controls/*.h engine/*.h wizard/*.h res/*.h 2>/dev/null); do
  src="$work/check.cpp"
  printf '#include "platform.h"\n#include "%s"\n' "$header" > "$src"
  if "$cxx" "${flags[@]}" -fsyntax-only -I"$work" "$src" 2> "$work/errors"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $header"
    head -20 "$work/errors"
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
