#!/usr/bin/env bash
# Brings the English catalogue up to date with the sources (new texts come in unfinished, texts
# no longer used go); translate the unfinished ones, e.g. in Qt Linguist, and commit the file.
#   update-translations.sh [TS_FILE]     (default: the catalogue in resources/translations)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
ts=$(realpath "${1:-$here/resources/translations/model_varnix_EN.ts}")
cd "$here"
defs=$(mktemp -d)
trap 'rm -rf "$defs"' EXIT

# The definition files' texts are shown through the catalogue as well (orv_public::definitionText),
# each file's under its own context.
collect() { # context, attribute names (a|b), files
  local context=$1 attrs=$2
  shift 2
  grep -ohP "\b($attrs)=\"\K[^\"]*[\x{4e00}-\x{9fff}][^\"]*" "$@" | LC_ALL=C sort -u \
    | sed "s/.*/QT_TRANSLATE_NOOP(\"$context\", \"&\")/"
}
{
  collect mainWindow.xml text data/config/mainWindow.xml
  collect configcheck.xml 'name|des' data/fileLogic/configcheck.xml
  collect tables desc data/tables/*.xml
} >"$defs/definitions.cpp"

/usr/lib/qt5/bin/lupdate -no-obsolete -locations none \
  app mainwindow loginDialog pointsearch pointpatch configcheck platform model sheets tools "$defs/definitions.cpp" \
  -ts "$ts"
