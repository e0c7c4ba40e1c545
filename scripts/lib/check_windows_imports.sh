#!/usr/bin/env bash
# Checks that each Windows program given needs only DLLs that are part of Windows itself, so
# that it runs when copied alone onto a machine. Prints each program's DLLs.
#   bash check_windows_imports.sh PROGRAM.exe...
set -uo pipefail
SYSTEM_DLLS='^(ntdll|kernel32|user32|gdi32|comctl32|winspool\.drv|msvcrt|advapi32|shell32|ole32|comdlg32)(\.dll)?$'
status=0
for program in "$@"; do
  dlls=$(x86_64-w64-mingw32-objdump -p "$program" | awk '/DLL Name:/ { print $3 }') || {
    echo "cannot read $program" >&2
    status=1
    continue
  }
  echo "$(basename "$program"): $(tr '\n' ' ' <<<"$dlls")"
  while read -r dll; do
    if ! grep -qiE "$SYSTEM_DLLS" <<<"$dll"; then
      echo "FAIL - $(basename "$program") needs $dll, which Windows does not have" >&2
      status=1
    fi
  done <<<"$dlls"
done
exit $status
