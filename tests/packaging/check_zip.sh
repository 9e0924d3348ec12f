#!/usr/bin/env bash
# Makes the Windows zip with cpack, unpacks it as a user would and checks what
# is inside: the 32-bit Tickora.exe with its resources, every bundled skin
# byte for byte in Skins, the README, and nothing else.
set -euo pipefail
build=$1
source_dir=$2
name=$3
scratch=$(mktemp -d /tmp/tickora-zip.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
fail=0
problem() { echo "FAIL: $*"; fail=1; }

cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; exit 1; }
zip=$scratch/out/$name.zip
[[ -f $zip ]] || { problem "no $name.zip"; ls -R "$scratch/out"; exit 1; }
mkdir "$scratch/unpacked"
(cd "$scratch/unpacked" && cmake -E tar xf "$zip")
top=$scratch/unpacked/$name

expected=$( (echo Tickora.exe; echo README.txt
  cd "$source_dir/skins" && find . -type f | sed 's|^\./|Skins/|') | sort)
found=$(cd "$top" && find . -type f | sed 's|^\./||' | sort)
[[ $found == "$expected" ]] || problem "the zip holds:"$'\n'"$found"$'\n'"wanted:"$'\n'"$expected"
while read -r file; do
  cmp -s "$source_dir/skins/${file#Skins/}" "$top/$file" || problem "$file differs from skins/"
done < <(grep '^Skins/' <<<"$expected")

# Each bundled skin with its face's copy at twice the size, which the Linux
# clock draws from and the Windows program leaves alone.
for skin in "$source_dir"/skins/*/; do
  skin=$(basename "$skin")
  [[ -f $top/Skins/$skin/main@2x.png ]] || problem "Skins/$skin has no main@2x.png"
done

readme=$top/README.txt
for phrase in 'HKEY_CURRENT_USER\Software\Velmarck\Tickora' 'CurrentVersion\Run' \
              'delete this folder' 'shell:startup'; do
  grep -qF "$phrase" "$readme" || problem "README.txt does not mention $phrase"
done
grep -q $'\r$' "$readme" || problem "README.txt does not have Windows line ends"

bash "$source_dir/tests/check_pe.sh" "$top/Tickora.exe" x86 || fail=1
exit $fail
