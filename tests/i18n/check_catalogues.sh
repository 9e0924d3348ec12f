#!/usr/bin/env bash
# The translations and the command line of the Linux clock:
#   check_catalogues.sh SOURCE_DIR CLOCK
# - a template made afresh from the sources holds the same texts as the
#   committed po/tickora.pot, and every catalogue of po/LINGUAS translates each
#   of them (nothing missing, nothing fuzzy) and compiles with --check;
# - --help and --version answer with no display and exit 0, in the user's
#   language, naming the settings file where it is; an answer that cannot be
#   written is a failure.
set -uo pipefail
source_dir=$1
clock=$2
scratch=$(mktemp -d /tmp/tickora-i18n.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
fail=0
problem() { echo "FAIL: $*"; fail=1; }

"$source_dir/po/make_template.sh" "$source_dir" "$scratch/fresh.pot" || problem "xgettext"
msgcmp --use-untranslated "$source_dir/po/tickora.pot" "$scratch/fresh.pot" ||
  problem "po/tickora.pot lacks texts of the sources: build the tickora-pot target"
msgcmp --use-untranslated "$scratch/fresh.pot" "$source_dir/po/tickora.pot" ||
  problem "po/tickora.pot holds texts the sources no longer have: build the tickora-pot target"
languages=$(grep -E '^[a-zA-Z]' "$source_dir/po/LINGUAS")
[[ -n $languages ]] || problem "po/LINGUAS names no language"
for language in $languages; do
  po=$source_dir/po/$language.po
  msgfmt --check --output-file=/dev/null "$po" || problem "$language.po does not compile"
  msgcmp "$po" "$scratch/fresh.pot" || problem "$language.po does not translate every text"
done

# No display of any kind, and no running clock to be told anything.
run() {
  env -i PATH="$PATH" HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" LANG=C.UTF-8 \
    ASAN_OPTIONS=detect_leaks=0 "$@"
}
help=$(run "$clock" --help) || problem "--help exits $?"
[[ $help == "Usage: tickora "* ]] || problem "--help says: $help"
grep -qF "$scratch/config/tickora/settings.ini" <<<"$help" || problem "--help names no settings file"
grep -qF "TICKORA_LAYER_SHELL" <<<"$help" || problem "--help names no environment"
version=$(run "$clock" --version) || problem "--version exits $?"
[[ $version =~ ^Tickora\ [0-9]+(\.[0-9]+)+$ ]] || problem "--version says: $version"
german=$(run env LANGUAGE=de "$clock" --help) || problem "LANGUAGE=de --help exits $?"
[[ $german == "Aufruf: tickora "* ]] || problem "LANGUAGE=de --help says: $german"
english=$(run env LANGUAGE=C "$clock" -h) || problem "LANGUAGE=C -h exits $?"
[[ $english == "$help" ]] || problem "LANGUAGE=C -h differs from --help"
if run "$clock" --version >/dev/full 2>/dev/null; then
  problem "--version into a full disk reports success"
fi
exit $fail
