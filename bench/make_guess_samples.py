#!/usr/bin/env python3
"""Writes the labelled samples of the guess accuracy benchmark.

The text comes from the translated message catalogues under
/usr/share/locale, which the language models are never built from, so the
benchmark measures text the guess has not seen. Each sample of 64, 256,
1024 and 16384 characters is encoded, through recodo's own tables, into
every single-byte set that holds all of its characters. Samples of plain
ASCII are left out: every set reads them alike.

Record layout: u32 length, u8 set, u8 language, u8 size class, bytes.

Usage: bench/make_guess_samples.py OUTPUT [samples-per-size=24]
"""
import struct
import sys
import unicodedata
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tools"))
import gen_codepage_tables  # noqa: E402
import gen_language_models as models  # noqa: E402

SIZES = [64, 256, 1024, 16384]
LOCALE = Path("/usr/share/locale")
# Catalogue folders per model tag; English is the original text of any catalogue.
FOLDERS = {"pt": ["pt", "pt_BR"], "nb": ["nb", "no"]}


def catalogue_strings(path, originals):
    data = path.read_bytes()
    if len(data) < 28:
        return []
    magic = struct.unpack("<I", data[:4])[0]
    order = "<" if magic == 0x950412DE else ">" if magic == 0xDE120495 else None
    if order is None:
        return []
    count, ids, strs = struct.unpack(order + "III", data[8:20])
    table = ids if originals else strs
    out = []
    for i in range(count):
        length, offset = struct.unpack(order + "II", data[table + 8 * i:table + 8 * i + 8])
        raw = data[offset:offset + length]
        if i == 0 and not originals:
            if b"charset=utf-8" not in raw.lower() and b"charset=utf8" not in raw.lower():
                return []
            continue
        try:
            text = raw.decode("utf-8")
        except UnicodeDecodeError:
            continue
        out.extend(part for part in text.split("\0") if part)
    return out


def pool(tag):
    if tag == "en":
        files = sorted((LOCALE / "fr" / "LC_MESSAGES").glob("*.mo"))
        strings = [s for f in files for s in catalogue_strings(f, True)]
    else:
        files = sorted(f for d in FOLDERS.get(tag, [tag]) for f in (LOCALE / d / "LC_MESSAGES").glob("*.mo"))
        strings = [s for f in files for s in catalogue_strings(f, False)]
    text = unicodedata.normalize("NFC", "\n".join(strings))
    text = "".join(models.LEGACY_FORMS.get(c, c) for c in text)
    if tag == "vi":
        text = models.to_1258_form(text)
    return text


def main():
    output = Path(sys.argv[1])
    per_size = int(sys.argv[2]) if len(sys.argv) > 2 else 24
    tables = gen_codepage_tables.build()
    models.VIETNAMESE_UNITS.update(chr(v) for v in tables[24][4] if v != 0xFFFF)
    encoders = []
    for code, name, _, _, values in tables:
        enc = {chr(b): b for b in range(0x80)}
        for i, v in enumerate(values):
            if v >= 0x80 and v != 0xFFFF:
                enc.setdefault(chr(v), 0x80 + i)
        encoders.append(enc)
    records = 0
    with output.open("wb") as out:
        for language, (tag, name, *_rest) in enumerate(models.LANGUAGES):
            text = pool(tag)
            for size_class, size in enumerate(SIZES):
                if len(text) < size * 2:
                    continue
                step = (len(text) - size) // per_size
                for k in range(per_size):
                    sample = text[k * step:k * step + size]
                    if all(ord(c) < 0x80 for c in sample):
                        continue
                    for code, enc in enumerate(encoders):
                        try:
                            data = bytes(enc[c] for c in sample)
                        except KeyError:
                            continue
                        out.write(struct.pack("<IBBB", len(data), code, language, size_class) + data)
                        records += 1
            print(f"{name}: {len(text)} characters", file=sys.stderr)
    print(f"{records} samples", file=sys.stderr)


if __name__ == "__main__":
    main()
