#!/usr/bin/env bash
# Checks a built Tickora.exe: the machine it is for, and that every DLL it
# imports is part of Windows.
set -euo pipefail
exe=$1
processor=$2
case "$processor" in
  x86) want_format='pei-i386'; want_file='PE32 executable (GUI) Intel 80386' ;;
  *)   want_format='pei-x86-64'; want_file='PE32+ executable (GUI) x86-64' ;;
esac
fail=0
description=$(file -b "$exe")
if [[ $description != "$want_file"* ]]; then
  echo "FAIL: $exe is '$description', wanted '$want_file'"; fail=1
fi
dump=$(objdump -p "$exe" 2>/dev/null || x86_64-w64-mingw32-objdump -p "$exe")
if ! grep -q "file format $want_format" <<<"$dump"; then
  echo "FAIL: object format is not $want_format"; fail=1
fi
system_dlls='^(kernel32|user32|gdi32|advapi32|shlwapi|ole32|oleaut32|shell32|comctl32|gdiplus|msvcrt|msimg32|uxtheme)\.dll$'
while read -r dll; do
  lower=${dll,,}
  if [[ ! $lower =~ $system_dlls ]]; then
    echo "FAIL: imports $dll, which Windows does not bring"; fail=1
  else
    echo "imports $dll"
  fi
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
exit $fail
