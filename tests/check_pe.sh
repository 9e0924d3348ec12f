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
# Resources: five PNGs, icons 1-3 in group 104, version 1 and manifest 1, all
# German (Germany), language 1031.
resources=$(wrestool -l "$exe" 2>/dev/null)
expect_resources() {
  local pattern=$1 count=$2 what=$3 found
  found=$(grep -cE -- "$pattern" <<<"$resources")
  if [[ $found -ne $count ]]; then
    echo "FAIL: $found $what resources, wanted $count"; fail=1
  fi
}
expect_resources "--type='PNG_FILE' .*--language=1031" 5 "PNG_FILE"
expect_resources "--type=3 --name=[123] --language=1031 " 3 "icon"
expect_resources "--type=14 --name=104 --language=1031 " 1 "icon group 104"
expect_resources "--type=16 --name=1 --language=1031 " 1 "version"
expect_resources "--type=24 --name=1 --language=1031 " 1 "manifest"
expect_resources "--language=" 11 "language-tagged"
exit $fail
