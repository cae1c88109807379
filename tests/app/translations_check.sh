#!/bin/sh
# Fails when a text a person sees has no finished Swedish translation, or
# the translation file still holds texts the code no longer has: runs
# lupdate over the sources into a copy of the Swedish .ts file, lists each
# message it leaves unfinished, and compares the copy with the file.
#   translations_check.sh <lupdate> <tarimo_sv.ts> <include folder> <source file>...
set -eu
lupdate=$1
ts=$2
include=$3
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cp "$ts" "$work/fresh.ts"
"$lupdate" -no-obsolete -locations none -I "$include" "$@" -ts "$work/fresh.ts" >"$work/log" 2>&1 || {
    cat "$work/log"
    exit 1
}
python3 - "$work/fresh.ts" <<'PY'
import sys
import xml.etree.ElementTree as ET

missing = []
messages = list(ET.parse(sys.argv[1]).getroot().iter("message"))
for message in messages:
    translation = message.find("translation")
    forms = [translation.text] if translation is not None and len(translation) == 0 else \
        [form.text for form in translation] if translation is not None else []
    if translation is None or translation.get("type") or not all(forms):
        missing.append(message.findtext("source"))
if missing:
    print("FAIL: no finished Swedish translation of:")
    print("\n".join("  " + text for text in missing))
    print("Translate them in translations/tarimo_sv.ts (make translations adds new texts).")
    sys.exit(1)
print("every one of %d texts has its Swedish" % len(messages))
PY
if ! cmp -s "$ts" "$work/fresh.ts"; then
    echo "FAIL: translations/tarimo_sv.ts is not up to date with the code; make translations brings it up to date:"
    diff -u "$ts" "$work/fresh.ts" | head -n 40
    exit 1
fi
echo PASS
