#!/usr/bin/env python3
"""The English translation, translations/kq510_en.ts.

  scripts/translations.py update [TSV ...]   collects the source texts (lupdate) and fills in the
                                             English of tab-separated context/source/English lines
  scripts/translations.py check              fails when a source text of the code (src/ and tools/) has no
                                             finished English translation, or a translation drops a %1
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TS = os.path.join(ROOT, "translations", "kq510_en.ts")
# The program and its tools (the stand-in machines, the feeder, the demo's helpers) speak one language.
SOURCES = [os.path.join(ROOT, "src"), os.path.join(ROOT, "tools")]
LUPDATE = next((p for p in ("/usr/lib/qt6/bin/lupdate", shutil.which("lupdate6") or "", shutil.which("lupdate") or "")
                if p and os.path.exists(p)), None)


def lupdate(ts):
    if not LUPDATE:
        sys.exit("translations: lupdate (Debian package qt6-l10n-tools) is missing")
    subprocess.run([LUPDATE, "-silent", "-no-obsolete", "-locations", "none", "-source-language", "zh_CN",
                    "-target-language", "en", *SOURCES, "-ts", ts], check=True)


def unescape(text):
    return text.replace("\\r", "\r").replace("\\n", "\n").replace('\\"', '"').replace("\\\\", "\\")


def text_of(element):
    """An element's text; lupdate writes a carriage return as <byte value="xd"/>."""
    if element is None:
        return None
    parts = [element.text or ""]
    for child in element:
        if child.tag == "byte":
            value = child.get("value", "")
            parts.append(chr(int(value[1:], 16)) if value.startswith("x") else chr(int(value)))
        parts.append(child.tail or "")
    return "".join(parts)


def set_text(element, text):
    for child in list(element):
        element.remove(child)
    pieces = text.split("\r")
    element.text = pieces[0]
    for piece in pieces[1:]:
        ET.SubElement(element, "byte", value="xd").tail = piece


def messages(tree):
    for context in tree.getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            yield name, message


def update(tsvs):
    lupdate(TS)
    given = {}
    for path in tsvs:
        with open(path, encoding="utf-8") as f:
            for line in f:
                parts = line.rstrip("\n").split("\t")
                if len(parts) == 3 and parts[2]:
                    given[(parts[0], unescape(parts[1]))] = unescape(parts[2])
    tree = ET.parse(TS)
    filled = 0
    for name, message in messages(tree):
        source = text_of(message.find("source"))
        translation = message.find("translation")
        english = given.get((name, source))
        if english is not None:
            set_text(translation, english)
            translation.attrib.pop("type", None)
            filled += 1
    tree.write(TS, encoding="utf-8", xml_declaration=True)
    print(f"translations: {filled} texts filled in")
    return check()


def problems(ts):
    found = []
    for name, message in messages(ET.parse(ts)):
        source = text_of(message.find("source")) or ""
        translation = message.find("translation")
        english = text_of(translation) or ""
        if translation is None or translation.get("type") in ("unfinished", "vanished", "obsolete") or not english:
            found.append(f"{name}: no English for {source!r}")
        elif sorted(re.findall(r"%\d", source)) != sorted(re.findall(r"%\d", english)):
            found.append(f"{name}: {source!r} and {english!r} differ in their placeholders")
        elif re.search(r"[\u3000-\u303f\u3400-\u4dbf\u4e00-\u9fff\uff00-\uffef]", english):
            found.append(f"{name}: the English for {source!r} holds Chinese: {english!r}")
    return found


def check():
    # The code's texts as they are now, beside the finished translations.
    with tempfile.TemporaryDirectory() as tmp:
        ts = os.path.join(tmp, "check.ts")
        shutil.copy(TS, ts)
        lupdate(ts)
        found = problems(ts)
    for p in found:
        print("translations: " + p, file=sys.stderr)
    if found:
        print(f"translations: {len(found)} texts lack a finished English translation "
              "(scripts/translations.py update TSV fills them in)", file=sys.stderr)
        return 1
    total = sum(1 for _ in messages(ET.parse(TS)))
    print(f"translations: all {total} texts have a finished English translation")
    return 0


if __name__ == "__main__":
    if len(sys.argv) >= 2 and sys.argv[1] == "update":
        sys.exit(update(sys.argv[2:]))
    if len(sys.argv) == 2 and sys.argv[1] == "check":
        sys.exit(check())
    sys.exit(__doc__)
