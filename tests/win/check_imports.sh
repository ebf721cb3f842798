#!/usr/bin/env bash
# Fails when the program imports a DLL that is not part of Windows itself, or, given an
# allow-list of "DLL function" lines, a function that is not on it.
# Usage: check_imports.sh OBJDUMP PROGRAM [ALLOW_LIST]
set -euo pipefail
objdump=$1 program=$2 allow_list=${3:-}
allowed='^(KERNEL32|USER32|GDI32|SHELL32|COMDLG32|COMCTL32|ADVAPI32|MSVCRT)\.DLL$'
headers=$("$objdump" -p "$program")
mapfile -t dlls < <(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
((${#dlls[@]} > 0)) || { echo "no import table found in $program"; exit 1; }
status=0
for dll in "${dlls[@]}"; do
  if [[ ${dll^^} =~ $allowed ]]; then echo "ok: $dll"; else echo "NOT A SYSTEM DLL: $dll"; status=1; fi
done
if [[ -n $allow_list ]]; then
  imports=$(awk '/DLL Name/ { dll = toupper($3) }
                 /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print dll " " $3 }' <<<"$headers" | sort)
  unknown=$(comm -23 <(echo "$imports") <(grep -v '^#' "$allow_list" | sort))
  if [[ -n $unknown ]]; then
    echo "imports missing on the oldest supported Windows:"; echo "$unknown"; status=1
  else
    echo "ok: all $(wc -l <<<"$imports") imported functions are on the allow-list"
  fi
fi
exit $status
