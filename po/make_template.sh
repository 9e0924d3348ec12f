#!/usr/bin/env bash
# Makes the message template from the files that po/POTFILES.in lists:
#   po/make_template.sh SOURCE_DIR OUTPUT.pot [--merge]
# (the tickora-pot build target writes po/tickora.pot with it).
set -euo pipefail
source_dir=$1
output=$2
files=$(mktemp)
trap 'rm -f "$files"' EXIT
grep -v -e '^#' -e '^$' "$source_dir/po/POTFILES.in" >"$files"
# -k_ and -kN_ are the C++ markers; the menu entry's keys (Name, GenericName,
# Comment, Keywords) and the metainfo's elements are xgettext's defaults.
xgettext --directory="$source_dir" --files-from="$files" --output="$output" \
  --from-code=UTF-8 --keyword=_ --keyword=N_ --add-comments=TRANSLATORS \
  --add-location=file --package-name=Tickora --package-version=1.0 \
  --msgid-bugs-address=tickora@velmarck.example --copyright-holder=Velmarck
# The creation date would make every run a change.
sed -i '/^"POT-Creation-Date:/d' "$output"
# --merge: bring every catalogue up to the new template (new texts untranslated,
# changed ones marked fuzzy), as translators expect.
if [[ ${3:-} == --merge ]]; then
  for po in "$source_dir"/po/*.po; do
    msgmerge --quiet --update --backup=none "$po" "$output"
  done
fi
