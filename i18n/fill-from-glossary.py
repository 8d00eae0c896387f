#!/usr/bin/env python3
"""Fills the unfinished translations of a .ts file from a glossary.

usage: fill-from-glossary.py GLOSSARY.tsv FILE.ts

The glossary holds one text a line, "English<TAB>translation", with the escapes \\\\, \\t,
\\n and \\r. Every message of FILE.ts still marked unfinished whose source text the
glossary holds gets its translation and loses the mark; the others are listed on standard
error, so that they can be translated (in the glossary, then again through this script, or
in Qt Linguist). Translations already finished are left as they are. Exit status: 0 when
no unfinished message is left, 1 otherwise.
"""
import re
import sys

ESCAPES = {"\\": "\\", "t": "\t", "n": "\n", "r": "\r"}


def unescape(text):
    return re.sub(r"\\(.)", lambda m: ESCAPES[m.group(1)], text)


def escape(text):
    for plain, code in (("\\", "\\\\"), ("\t", "\\t"), ("\n", "\\n"), ("\r", "\\r")):
        text = text.replace(plain, code)
    return text


def read_glossary(path):
    glossary = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line:
                continue
            english, _, translated = line.partition("\t")
            if not translated:
                sys.exit(f"{path}:{number}: no translation")
            glossary[unescape(english)] = unescape(translated)
    return glossary


# The .ts file's own spelling of a text: XML entities, control characters as <byte/>.
ENTITIES = (("&", "&amp;"), ("<", "&lt;"), (">", "&gt;"), ("'", "&apos;"), ('"', "&quot;"))


def ts_decode(text):
    text = re.sub(r'<byte value="x([0-9a-fA-F]+)"/>', lambda m: chr(int(m.group(1), 16)), text)
    for plain, entity in reversed(ENTITIES):
        text = text.replace(entity, plain)
    return text


def ts_encode(text):
    for plain, entity in ENTITIES:
        text = text.replace(plain, entity)
    return re.sub(
        r"[\x00-\x08\x0b-\x1f]", lambda m: '<byte value="x%x"/>' % ord(m.group(0)), text)


MESSAGE = re.compile(r"<message>.*?</message>", re.S)
SOURCE = re.compile(r"<source>(.*?)</source>", re.S)
UNFINISHED = re.compile(r'<translation type="unfinished">.*?</translation>', re.S)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    glossary = read_glossary(sys.argv[1])
    with open(sys.argv[2], encoding="utf-8") as f:
        ts = f.read()
    missing = []

    # Message by message, so that no match runs from one message into the next.
    def fill(match):
        message = match.group(0)
        unfinished = UNFINISHED.search(message)
        if not unfinished:
            return message
        source = ts_decode(SOURCE.search(message).group(1))
        if source not in glossary:
            missing.append(source)
            return message
        done = "<translation>" + ts_encode(glossary[source]) + "</translation>"
        return message[: unfinished.start()] + done + message[unfinished.end() :]

    ts = MESSAGE.sub(fill, ts)
    with open(sys.argv[2], "w", encoding="utf-8") as f:
        f.write(ts)
    for source in missing:
        print("untranslated: " + escape(source), file=sys.stderr)
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
