#!/usr/bin/env bash
# Checks that a program is a PE32 GUI executable for i386 whose imports are all
# DLLs that come with Windows.
#   check-executable.sh OBJDUMP PROGRAM.exe
set -euo pipefail
objdump=$1
exe=$2
system_dlls='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|shlwapi|ole32|oleaut32|advapi32|msvcrt|winmm|version)\.dll$'

headers=$("$objdump" -p "$exe")
grep -q '^Magic[[:space:]]*010b' <<<"$headers" || { echo "not PE32 (32-bit optional header)"; exit 1; }
"$objdump" -f "$exe" | grep -q 'architecture: i386' || { echo "not built for i386"; exit 1; }
grep -Eq '^Subsystem[[:space:]]+0*2[[:space:]]' <<<"$headers" || { echo "not a GUI program"; exit 1; }

imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
[ -n "$imports" ] || { echo "no imports found"; exit 1; }
bad=0
while read -r dll; do
  if grep -Eiq "$system_dlls" <<<"$dll"; then echo "imports $dll"; else echo "imports $dll: not a system DLL"; bad=1; fi
done <<<"$imports"
exit $bad
