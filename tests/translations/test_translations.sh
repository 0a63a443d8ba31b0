#!/usr/bin/env bash
# The English catalogue is complete: every text the sources pass through tr() has an English
# translation that keeps its place markers, and the compiled catalogue carries them.
#   test_translations.sh SOURCE_DIR QM_FILE
set -euo pipefail
src=${1:?source directory}
qm=${2:?compiled catalogue}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cp "$src/resources/translations/model_varnix_EN.ts" "$tmp/en.ts"
bash "$src/tools/update-translations.sh" "$tmp/en.ts" >"$tmp/lupdate.out" 2>&1 || fail "lupdate: $(cat "$tmp/lupdate.out")"
grep -q '(0 new ' "$tmp/lupdate.out" || fail "texts missing from the catalogue (run tools/update-translations.sh): $(grep Found "$tmp/lupdate.out")"
cmp -s "$tmp/en.ts" "$src/resources/translations/model_varnix_EN.ts" || fail "the catalogue is not up to date with the sources: $(diff "$src/resources/translations/model_varnix_EN.ts" "$tmp/en.ts" | head -20)"
! grep -q 'type="unfinished"' "$tmp/en.ts" || fail "untranslated texts: $(grep -B2 'type="unfinished"' "$tmp/en.ts" | grep '<source>' | head -10)"
python3 - "$tmp/en.ts" <<'PY' || fail "place markers differ"
import re, sys, xml.etree.ElementTree as ET
bad = [m.findtext('source') for m in ET.parse(sys.argv[1]).iter('message')
       if sorted(re.findall(r'%\d', m.findtext('source'))) != sorted(re.findall(r'%\d', m.findtext('translation') or ''))]
print('\n'.join(bad), file=sys.stderr)
sys.exit(1 if bad else 0)
PY
messages=$(grep -c '<message>' "$tmp/en.ts")
/usr/lib/qt5/bin/lconvert -i "$qm" -o "$tmp/back.ts"
compiled=$(grep -c '<message>' "$tmp/back.ts")
[ "$compiled" = "$messages" ] || fail "the compiled catalogue holds $compiled of $messages messages"
echo "translations: $messages texts, all translated"
