#!/usr/bin/env python3
"""Writes engine/language_models.generated.cpp: letter-pair models of the
languages the single-byte sets are written in, for guessing a file's set.

Each model is built from running text in UTF-8 that Debian packages ship:
the translated manual pages, and for languages that have none, the words of
the Hunspell dictionary. The packages and versions read are written into the
output, and the output depends on nothing else, so two runs over the same
packages give the same file.

Only characters some byte table can produce matter at run time, so every
character is first mapped to an index in one list of units: 0..127 ASCII,
then the upper halves of the tables (the 49 of the catalogue's first codes,
then KOI8-R, KOI8-U and ISO-8859-16) in ascending order. A model is a
symbol per unit (case folded, rare letters lumped together) and a table of
costs, -log2 P(next symbol | symbol) in eighths of a bit.

Usage: tools/gen_language_models.py [output-path]
       tools/gen_language_models.py --check PATH   (exit 1 when PATH differs)
"""
import gzip
import math
import re
import subprocess
import sys
import unicodedata
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import gen_codepage_tables  # noqa: E402

UNDEFINED = 0xFFFF
MAX_CHARS = 1_500_000        # of text per language
MAX_DICTIONARY_WORDS = 120_000
MAX_SYMBOLS = 96
MIN_SHARE = 2e-5             # of all letters, for a letter to get a symbol of its own
COVERAGE = 0.985             # of a language's non-ASCII letters a set must hold

# Symbols every model shares.
BOUNDARY, OTHER_LETTER, OTHER_SIGN = 0, 1, 2
FIRST_ASCII_LETTER = 3       # a..z follow

SCRIPTS = ["common", "latin", "greek", "cyrillic", "hebrew", "arabic", "thai"]

ENGLISH_SHARE = ("manpages", "man", 200_000)
# (tag, English name, script, [(package, kind, most characters read)])
# Where a language has no manual pages, its dictionary gives the letters and
# a share of English manual pages the ASCII words that real text mixes in.
LANGUAGES = [
    ("en", "English", "latin", [("manpages", "man", MAX_CHARS)]),
    ("fr", "French", "latin", [("manpages-fr", "man", MAX_CHARS)]),
    ("de", "German", "latin", [("manpages-de", "man", MAX_CHARS)]),
    ("es", "Spanish", "latin", [("manpages-es", "man", MAX_CHARS)]),
    ("it", "Italian", "latin", [("manpages-it", "man", MAX_CHARS)]),
    ("pt", "Portuguese", "latin", [("manpages-pt-br", "man", MAX_CHARS)]),
    ("nl", "Dutch", "latin", [("manpages-nl", "man", MAX_CHARS)]),
    ("da", "Danish", "latin", [("manpages-da", "man", MAX_CHARS)]),
    ("sv", "Swedish", "latin", [("manpages-sv", "man", MAX_CHARS)]),
    ("nb", "Norwegian", "latin", [("manpages-nb", "man", MAX_CHARS)]),
    ("fi", "Finnish", "latin", [("manpages-fi", "man", MAX_CHARS)]),
    ("is", "Icelandic", "latin", [("hunspell-is", "dic", MAX_CHARS), ENGLISH_SHARE]),
    ("cs", "Czech", "latin", [("manpages-cs", "man", MAX_CHARS)]),
    ("sk", "Slovak", "latin", [("hunspell-sk", "dic", MAX_CHARS), ENGLISH_SHARE]),
    ("pl", "Polish", "latin", [("manpages-pl", "man", MAX_CHARS)]),
    ("hu", "Hungarian", "latin", [("manpages-hu", "man", MAX_CHARS)]),
    ("ro", "Romanian", "latin", [("manpages-ro", "man", MAX_CHARS)]),
    ("sl", "Slovenian", "latin", [("hunspell-sl", "dic", MAX_CHARS), ENGLISH_SHARE]),
    ("hr", "Croatian", "latin", [("hunspell-hr", "dic", MAX_CHARS), ENGLISH_SHARE]),
    ("tr", "Turkish", "latin", [("manpages-tr", "man", MAX_CHARS)]),
    ("lt", "Lithuanian", "latin", [("hunspell-lt", "dic", MAX_CHARS), ENGLISH_SHARE]),
    ("lv", "Latvian", "latin", [("hunspell-lv", "dic", MAX_CHARS), ENGLISH_SHARE]),
    ("et", "Estonian", "latin", [("myspell-et", "dic", MAX_CHARS), ENGLISH_SHARE]),
    ("vi", "Vietnamese", "latin", [("manpages-vi", "man", MAX_CHARS)]),
    ("ru", "Russian", "cyrillic", [("manpages-ru", "man", MAX_CHARS)]),
    ("uk", "Ukrainian", "cyrillic", [("manpages-uk", "man", MAX_CHARS)]),
    ("bg", "Bulgarian", "cyrillic", [("hunspell-bg", "dic", MAX_CHARS), ENGLISH_SHARE]),
    ("sr", "Serbian", "cyrillic", [("manpages-sr", "man", MAX_CHARS)]),
    ("mk", "Macedonian", "cyrillic", [("manpages-mk", "man", MAX_CHARS)]),
    ("el", "Greek", "greek", [("manpages-el", "man", MAX_CHARS), ("hunspell-el", "dic", MAX_CHARS)]),
    ("he", "Hebrew", "hebrew", [("hunspell-he", "dic", MAX_CHARS), ENGLISH_SHARE]),
    ("ar", "Arabic", "arabic", [("hunspell-ar", "dic", MAX_CHARS), ENGLISH_SHARE]),
    ("th", "Thai", "thai", [("hunspell-th", "dic", MAX_CHARS), ENGLISH_SHARE]),
]

# The Windows set each language was written in: among sets that read a text
# alike, the one its writer would name.
HOME_SETS = {tag: 18 for tag in ("en", "fr", "de", "es", "it", "pt", "nl", "da", "sv", "nb", "fi", "is")}
HOME_SETS.update({tag: 16 for tag in ("cs", "sk", "pl", "hu", "ro", "sl", "hr")})
HOME_SETS.update({tag: 17 for tag in ("ru", "uk", "bg", "sr", "mk")})
HOME_SETS.update({"tr": 20, "lt": 23, "lv": 23, "et": 23, "vi": 24, "el": 19, "he": 21, "ar": 22, "th": 15})

# Legacy text wrote these with the cedilla the old tables have.
LEGACY_FORMS = {"\u0219": "\u015F", "\u021B": "\u0163", "\u0218": "\u015E", "\u021A": "\u0162"}


def script_of(ch):
    code = ord(ch)
    if code < 0x80:
        return "latin" if ch.isalpha() else "common"
    name = unicodedata.name(ch, "")
    for script in ("LATIN", "GREEK", "CYRILLIC", "HEBREW", "ARABIC", "THAI"):
        if name.startswith(script):
            return script.lower()
    return "common"


def build_units(tables):
    upper = sorted({v for *_, values in tables for v in values if v >= 0x80 and v != UNDEFINED})
    units = list(range(0x80)) + upper
    index = {u: i for i, u in enumerate(units)}
    index[UNDEFINED] = len(units)
    units.append(UNDEFINED)
    unit_of = [[index[v] for v in values] for *_, values in tables]
    return units, index, unit_of


# Signs that sit next to letters in real text; any other sign beyond ASCII
# touching a letter hints at a wrong table.
APOSTROPHE = 0x2019  # sits inside words, as in "can’t" and "l’homme"
# Quotation marks sit against the first and last letters of what they quote
# (the low ones too, but as often they are what an accented letter of another
# table reads as).
QUOTES = {0xAB, 0xBB, 0x2018, 0x2019, 0x201C, 0x201D, 0x2039, 0x203A}
# The low ones open a quotation, and Spanish opens a question or an
# exclamation with its own marks: they stand before a word, never after one.
OPENING_MARKS = {0x201A, 0x201E, 0xA1, 0xBF}
PUNCTUATION = {0xA0, 0xA1, 0xAB, 0xB7, 0xBB, 0xBF} | set(range(0x2010, 0x2028)) | set(range(0x2030, 0x203B))


def unit_flags(unit):
    # bit 0 letter, 1 upper case, 2 combining mark, 3 control, 4 undefined,
    # 5 odd sign, 6 punctuation, 7 the apostrophe, 8 a quotation mark, 9 a
    # low one; the script from bit 10 on
    if unit == UNDEFINED:
        return 1 << 4
    ch = chr(unit)
    category = unicodedata.category(ch)
    flags = 0
    if category.startswith("L"):
        flags |= 1
    if category in ("Lu", "Lt"):
        flags |= 2
    if category == "Mn":
        flags |= 4
    if category == "Cc" or unit == 0:
        flags |= 8
    if unit >= 0x80 and not flags:
        flags |= (128 if unit == APOSTROPHE else 64) if unit in PUNCTUATION else 32
    if unit in QUOTES:
        flags |= 256
    if unit in OPENING_MARKS:
        flags |= 512
    return flags | (SCRIPTS.index(script_of(ch)) << 10)


def package_version(package):
    out = subprocess.run(["dpkg-query", "-W", "-f=${Version}", package], capture_output=True, text=True)
    if out.returncode != 0 or not out.stdout:
        sys.exit(f"package {package} is not installed")
    return out.stdout


def package_files(package):
    out = subprocess.run(["dpkg", "-L", package], capture_output=True, text=True, check=True)
    return sorted(line for line in out.stdout.splitlines() if Path(line).is_file())


# Pages that list the characters of a set are no running text.
CHARSET_PAGES = re.compile(r"^(iso[-_]?8859|koi8|cp125|charsets|ascii|armscii|utf-?8|unicode|latin|console_codes|mac)", re.I)
TROFF_ESCAPE = re.compile(r"\\(\(..|\*\(..|\*.|f\(..|f.|s[-+]?\d|[-e&|^%c0 ~])")


def man_text(path):
    raw = Path(path).read_bytes()
    if path.endswith(".gz"):
        raw = gzip.decompress(raw)
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError:
        return ""
    lines = []
    for line in text.splitlines():
        if line.startswith(('.\\"', "'\\\"", '.so ')):
            continue
        if line.startswith((".", "'")):
            parts = line.split(None, 1)
            line = parts[1] if len(parts) > 1 else ""
        lines.append(TROFF_ESCAPE.sub(" ", line).replace('"', " "))
    return "\n".join(lines)


def man_corpus(package, cap=MAX_CHARS):
    pieces, size = [], 0
    for path in package_files(package):
        if "/man/" not in path or not path.endswith(".gz") or CHARSET_PAGES.search(Path(path).name):
            continue
        text = man_text(path)
        pieces.append(text)
        size += len(text)
        if size >= cap:
            break
    return "\n".join(pieces)[:cap]


def dictionary_corpus(package, cap=MAX_CHARS):
    files = package_files(package)
    aff = next(f for f in files if f.endswith(".aff"))
    encoding = "utf-8"
    for line in Path(aff).read_text(encoding="latin-1").splitlines():
        if line.startswith("SET"):
            encoding = line.split()[1].lower().replace("iso8859", "iso8859_")
            break
    words = []
    for line in Path(aff[:-4] + ".dic").read_bytes().decode(encoding, "replace").splitlines()[1:]:
        word = line.split("/", 1)[0].split()[0] if line.strip() else ""
        if word and not word.isdigit():
            words.append(word)
    step = max(1, len(words) // MAX_DICTIONARY_WORDS)
    return " ".join(words[::step])[:cap]


def to_1258_form(text):
    # Windows-1258 spells most Vietnamese letters as a base and a combining
    # tone mark: compose only as far as the table has the result.
    out = []
    for ch in text:
        if ord(ch) < 0x80:
            out.append(ch)
            continue
        parts = unicodedata.normalize("NFD", ch)
        base = parts[0]
        rest = list(parts[1:])
        composed = True
        while composed:
            composed = False
            for i, mark in enumerate(rest):
                joined = unicodedata.normalize("NFC", base + mark)
                if len(joined) == 1 and joined in VIETNAMESE_UNITS:
                    base, composed = joined, True
                    del rest[i]
                    break
        out.append(base + "".join(rest))
    return "".join(out)


VIETNAMESE_UNITS = set()


def fold(ch, index):
    lower = ch.lower()
    if len(lower) != 1 or ord(lower) not in index:
        lower = ch
    return lower


def build_model(tag, script, text, units, index, flags, tables):
    text = unicodedata.normalize("NFC", text)
    text = "".join(LEGACY_FORMS.get(c, c) for c in text)
    if tag == "vi":
        text = to_1258_form(text)
    # Letter counts decide which letters get a symbol of their own.
    letter_counts = {}
    for ch in text:
        if ord(ch) >= 0x80 and ch.isalpha() or unicodedata.category(ch) == "Mn":
            key = fold(ch, index)
            letter_counts[key] = letter_counts.get(key, 0) + 1
    total_letters = sum(letter_counts.values()) or 1
    chosen = sorted((c for c, n in letter_counts.items()
                     if ord(c) in index and n >= max(3, total_letters * MIN_SHARE)),
                    key=lambda c: (-letter_counts[c], ord(c)))
    chosen = sorted(chosen[:MAX_SYMBOLS - FIRST_ASCII_LETTER - 26], key=ord)
    symbol_of_letter = {c: FIRST_ASCII_LETTER + 26 + i for i, c in enumerate(chosen)}
    for i in range(26):
        symbol_of_letter[chr(ord("a") + i)] = FIRST_ASCII_LETTER + i
    count = FIRST_ASCII_LETTER + 26 + len(chosen)

    def symbol(ch):
        if ord(ch) not in index:
            return BOUNDARY  # no table holds it, so no text read through one shows it
        key = fold(ch, index)
        # ISO-8859-16 writes Romanian's comma letters, the older tables the
        # cedilla ones: one letter either way.
        key = LEGACY_FORMS.get(key, key)
        if key in symbol_of_letter:
            return symbol_of_letter[key]
        category = unicodedata.category(ch)
        if ord(ch) < 0x80 or ord(ch) in PUNCTUATION or ch.isspace() or category == "Nd" or category[0] in "ZC":
            return BOUNDARY
        return OTHER_LETTER if ch.isalpha() or unicodedata.category(ch) == "Mn" else OTHER_SIGN

    pairs = [[0] * count for _ in range(count)]
    prev = BOUNDARY
    for ch in text:
        cur = symbol(ch)
        pairs[prev][cur] += 1
        prev = cur
    costs = []
    for row in pairs:
        total = sum(row)
        for n in row:
            p = (n + 0.5) / (total + 0.5 * count)
            costs.append(min(255, int(round(-math.log2(p) * 8))))
    # Symbols of every unit a table can produce.
    symbols = []
    for u in units:
        symbols.append(OTHER_SIGN if u == UNDEFINED else symbol(chr(u)))
    # The sets that hold nearly all of its letters: a check that some table can
    # carry the language, and a line of the report.
    sets = 0
    for code, *_, values in tables:
        held = {ord(LEGACY_FORMS.get(chr(v), chr(v))) for v in values if v != UNDEFINED}
        covered = sum(n for c, n in letter_counts.items() if ord(c) in held or
                      (c.upper() != c and len(c.upper()) == 1 and ord(c.upper()) in held))
        letters = [v for v in values if v != UNDEFINED and chr(v).isalpha()]
        own_script = sum(1 for v in letters if script_of(chr(v)) == script)
        if sum(letter_counts.values()) < 1000:
            # Next to no letters beyond a..z: any set mostly of its script.
            held_enough = own_script * 2 > len(letters)
        else:
            held_enough = covered >= COVERAGE * total_letters
        if held_enough:
            sets |= 1 << code
    model = {"count": count, "costs": costs, "symbols": symbols, "sets": sets,
             "letters": len(text), "distinct": len(chosen)}
    return model


def c_bytes(values, per_line=32):
    return "\n".join("    " + ",".join(str(v) for v in values[i:i + per_line]) + ","
                     for i in range(0, len(values), per_line))


def render(units, unit_of, flags, models):
    out = [
        "// Generated by tools/gen_language_models.py; do not edit.",
        "// Letter-pair models of the languages the single-byte sets are written in.",
        "// Read from these Debian packages:",
    ]
    for tag, name, _, model in models:
        for p, kind, size in model["read"]:
            out.append(f"//   {name}: {p} {package_version(p)}, {'manual pages' if kind == 'man' else 'dictionary words'},"
                       f" {size} characters")
    out += ["", '#include "engine/language_models.h"', "", "namespace recodo::guess {", "",
            f"const std::uint16_t kUnitOfByte[{len(unit_of)}][128] = {{"]
    for row in unit_of:
        out.append("    {" + ",".join(str(v) for v in row) + "},")
    out += ["};", "", f"const std::uint16_t kUnitFlags[{len(units)}] = {{", c_bytes(flags, 24), "};", ""]
    for tag, _, _, model in models:
        out += [f"static const std::uint8_t {tag}_symbols[{len(units)}] = {{", c_bytes(model["symbols"]), "};",
                f"static const std::uint8_t {tag}_costs[{model['count'] * model['count']}] = {{",
                c_bytes(model["costs"]), "};", ""]
    out.append("LanguageModel LanguageOf(int language) {")
    out.append("  switch (language) {")
    for i, (tag, name, script, model) in enumerate(models):
        out.append(f'    case {i}: return {{"{name}", "{tag}", {SCRIPTS.index(script)}, {HOME_SETS[tag]}, {model["count"]},'
                   f' {tag}_symbols, {tag}_costs}};')
    out += ["    default: return {};", "  }", "}", "", f"const int kLanguageCount = {len(models)};", "",
            "}  // namespace recodo::guess", ""]
    return "\n".join(out)


def build():
    tables = gen_codepage_tables.build()
    units, index, unit_of = build_units(tables)
    VIETNAMESE_UNITS.update(chr(v) for v in tables[24][4] if v != UNDEFINED)
    flags = [unit_flags(u) for u in units]
    models = []
    for tag, name, script, sources in LANGUAGES:
        texts = [(man_corpus if kind == "man" else dictionary_corpus)(p, cap) for p, kind, cap in sources]
        model = build_model(tag, script, "\n".join(texts), units, index, flags, tables)
        if model["sets"] == 0:
            sys.exit(f"{name}: no table holds its letters")
        model["read"] = [(p, kind, len(t)) for (p, kind, _), t in zip(sources, texts)]
        models.append((tag, name, script, model))
    return render(units, unit_of, flags, models), len(units), models


def write_or_check(default_name, text):
    """Writes `text` to the path the command line names (engine/default_name
    without one), or with --check PATH compares and exits 0 when the same."""
    args = sys.argv[1:]
    check = args[:1] == ["--check"]
    if check:
        args = args[1:]
    target = Path(args[0]) if args else Path(__file__).resolve().parent.parent / "engine" / default_name
    if check:
        same = target.read_text(encoding="utf-8") == text
        print("same" if same else f"{target} differs from what the packages give")
        sys.exit(0 if same else 1)
    target.write_text(text, encoding="utf-8", newline="\n")


def main():
    text, unit_count, models = build()
    write_or_check("language_models.generated.cpp", text)
    for tag, name, _, model in models:
        sets = [code for code in range(128) if model["sets"] >> code & 1]
        print(f"{name}: {model['letters']} chars, {model['distinct']} letters beyond a-z, sets {sets}")
    print(f"{unit_count} units")


if __name__ == "__main__":
    main()
