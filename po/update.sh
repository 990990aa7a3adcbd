#!/usr/bin/env bash
# Collects the texts marked for translation in the sources into
# po/glimmerdome.pot and brings every po/LANGUAGE.po up to date with it: new
# texts arrive untranslated, changed ones marked fuzzy, for the translators.
# Run it after changing a caption or a message; the catalogue test of the
# unit tests fails until every catalogue translates every text.
# The xgettext options are those of cmake/translations.cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t sources < <(git ls-files 'src/*.cpp' 'src/*.h' 'tools/page/*.cpp' 'tools/page/*.h' | LC_ALL=C sort)
xgettext --language=C++ --from-code=UTF-8 --add-comments=TRANSLATORS: --keyword=Tr --keyword=TrFormat:1 \
  --keyword=N_ --keyword=NP_:1,2 --flag=TrFormat:1:c-format --package-name=Glimmerdome --sort-by-file --add-location=file \
  -o po/glimmerdome.pot "${sources[@]}"
for po in po/*.po; do
  msgmerge --quiet --update --backup=none --previous "$po" po/glimmerdome.pot
done
