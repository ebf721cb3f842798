#!/usr/bin/env bash
# Fails when the program imports a DLL that is not part of Windows itself.
set -euo pipefail
objdump=$1
program=$2
allowed='^(KERNEL32|USER32|GDI32|SHELL32|COMDLG32|COMCTL32|ADVAPI32|MSVCRT)\.DLL$'
headers=$("$objdump" -p "$program")
mapfile -t dlls < <(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
((${#dlls[@]} > 0)) || { echo "no import table found in $program"; exit 1; }
status=0
for dll in "${dlls[@]}"; do
  if [[ ${dll^^} =~ $allowed ]]; then echo "ok: $dll"; else echo "NOT A SYSTEM DLL: $dll"; status=1; fi
done
if grep -q '^Subsystem.*(Windows GUI)' <<<"$headers"; then
  echo "ok: GUI subsystem"
else
  echo "not a GUI program"; status=1
fi
exit $status
