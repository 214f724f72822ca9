#!/usr/bin/env python3
"""Writes the labelled samples of the guess accuracy benchmark.

The text is running text that Debian packages ship (manuals, FAQs, help
pages, fortunes), none of it what the language models are built from: the
single-byte models read the first pages of the translated manual pages and
the Hunspell dictionaries (tools/gen_language_models.py), the East Asian
ones manpages-ja, manpages-zh and gimp-help-ko (tools/gen_cjk_models.py).
Of a package of manual pages only the pages the models never reach are
read here, found by running the models' own file order and cut-off.
Translations leave some paragraphs in English: those lines are dropped, and
so is a document of a language not written in Latin letters that holds
next to none of them.

Each document (a file; a fortune of a fortune file) goes to the "tuned" or
the "held-out" half by a hash of its path, so the two halves share no
document. Per language, half and size, 12 cuts are spread over the half's
text, and each is encoded into every set of the catalogue that holds all
its characters: the 52 single-byte sets through recodo's own tables, the
East Asian sets of the language and UTF-32 through Python's codecs (a share
of the cuts of every language in UTF-32, UTF-32BE and GB18030). A sample is
the longest start of its cut whose encoding is at most 64, 256, 1024 or
16384 bytes, so every set's samples of one size are about that long in
bytes, not in characters. Cuts of plain ASCII are left out: every set reads
them alike.

Packages that are not installed are fetched with `apt-get download` into
~/.cache/recodo-guess-text and unpacked there, never installed: some pull
in a browser or a desktop (gnome-user-docs, the Firefox language packs).

File: "RGSAMPL2", u32 length of a UTF-8 header (the languages, the sizes,
every source read with its package version), the header; then records of
u32 length, u8 set code, u8 language, u8 size class, u8 half (0 tuned,
1 held out), bytes.

Usage: bench/make_guess_samples.py OUTPUT
       bench/make_guess_samples.py --compact OUTPUT   (held-out samples of
                                                       64..1024 bytes, a few
                                                       per language and set)
"""
import codecs
import hashlib
import html
import io
import re
import struct
import subprocess
import sys
import unicodedata
import zipfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tools"))
import gen_codepage_tables  # noqa: E402
import gen_language_models as models  # noqa: E402

SIZES = [64, 256, 1024, 16384]
CUTS_PER_HALF = 12          # per language, half and size
CANDIDATES_PER_HALF = 400   # evenly spread starts, of which the cuts with text beyond ASCII are taken
MAX_SOURCE_CHARS = 1_200_000
CACHE = Path.home() / ".cache" / "recodo-guess-text"

UTF32, UTF32BE = 103, 104
SHIFT_JIS, EUC_JP, ISO2022JP, GBK, GB18030, BIG5, EUC_KR = range(120, 127)
# What Python codec carries each set, as tools/gen_multibyte_tables.py read them.
CODECS = {SHIFT_JIS: "cp932", EUC_JP: "euc_jp", ISO2022JP: "iso2022_jp", GBK: "gbk", GB18030: "gb18030",
          BIG5: "cp950", EUC_KR: "cp949", UTF32: "utf-32-le", UTF32BE: "utf-32-be"}
# A Japanese text is written with Windows' characters in Shift_JIS and with
# JIS's in EUC-JP and ISO-2022-JP (recodo reads both as Windows does).
TO_WINDOWS_JIS = {0x301C: 0xFF5E, 0x2016: 0x2225, 0x2212: 0xFF0D, 0x2014: 0x2015, 0xA2: 0xFFE0, 0xA3: 0xFFE1,
                  0xAC: 0xFFE2}
TO_JIS = {v: k for k, v in TO_WINDOWS_JIS.items() if k != 0x2014}
TO_JIS[0x2014] = 0x2015
EAST_ASIAN_SETS = {"ja": [SHIFT_JIS, EUC_JP, ISO2022JP], "zh-Hans": [GBK, GB18030], "zh-Hant": [BIG5],
                   "ko": [EUC_KR]}

HANDBOOK = "/usr/share/doc/debian-handbook/html/"
GIMP = "/usr/share/gimp/2.0/help/"
GNOME = "/usr/share/help/"
FAQ = "/usr/share/doc/debian/FAQ/"


def langpack(tag):
    return (f"firefox-esr-l10n-{tag}", "langpack", "/usr/lib/firefox-esr/browser/extensions/")


# Per language: (package, kind, folder its documents lie in). The order is
# the order they are read in; each gives at most MAX_SOURCE_CHARS.
SOURCES = {
    "en": [("debian-handbook", "html", HANDBOOK + "en-US/"), ("debian-faq", "html", FAQ),
           ("maint-guide", "html", "/usr/share/doc/maint-guide/html/"), ("manpages", "unread-man", "/usr/share/man/")],
    "fr": [("debian-handbook", "html", HANDBOOK + "fr-FR/"), ("debian-faq-fr", "html", FAQ + "fr/"),
           ("maint-guide-fr", "html", "/usr/share/doc/maint-guide-fr/"), ("manpages-fr", "unread-man", "/usr/share/man/")],
    "de": [("debian-handbook", "html", HANDBOOK + "de-DE/"), ("debian-faq-de", "html", FAQ + "de/"),
           ("maint-guide-de", "html", "/usr/share/doc/maint-guide-de/"), ("manpages-de", "unread-man", "/usr/share/man/")],
    "es": [("debian-handbook", "html", HANDBOOK + "es-ES/"), ("debian-reference-es", "html", "/usr/share/debian-reference/"),
           ("maint-guide-es", "html", "/usr/share/doc/maint-guide-es/"), ("manpages-es", "unread-man", "/usr/share/man/")],
    "it": [("debian-handbook", "html", HANDBOOK + "it-IT/"), ("debian-faq-it", "html", FAQ + "it/"),
           ("maint-guide-it", "html", "/usr/share/doc/maint-guide-it/"), ("manpages-it", "unread-man", "/usr/share/man/")],
    "pt": [("debian-handbook", "html", HANDBOOK + "pt-BR/"), ("debian-faq-pt", "html", FAQ + "pt/")],
    "nl": [("debian-handbook", "html", HANDBOOK + "nl-NL/"), ("debian-faq-nl", "html", FAQ + "nl/"),
           ("aptitude-doc-nl", "html", "/usr/share/doc/aptitude/html/nl/")],
    "da": [("debian-handbook", "html", HANDBOOK + "da-DK/"), ("gimp-help-da", "html", GIMP + "da/")],
    "sv": [("debian-handbook", "html", HANDBOOK + "sv-SE/"), ("gimp-help-sv", "html", GIMP + "sv/")],
    "nb": [("debian-handbook", "html", HANDBOOK + "nb-NO/")],
    "fi": [("aptitude-doc-fi", "html", "/usr/share/doc/aptitude/html/fi/"), ("gimp-help-fi", "html", GIMP + "fi/"),
           ("gnome-user-docs", "page", GNOME + "fi/")],
    "is": [langpack("is")],
    "cs": [("debian-handbook", "html", HANDBOOK + "cs-CZ/"), ("gimp-help-cs", "html", GIMP + "cs/"),
           ("aptitude-doc-cs", "html", "/usr/share/doc/aptitude/html/cs/"),
           ("fortunes-cs", "fortune", "/usr/share/games/fortunes/cs/")],
    "sk": [("fortunes-cs", "fortune", "/usr/share/games/fortunes/sk/"), langpack("sk")],
    "pl": [("debian-handbook", "html", HANDBOOK + "pl-PL/"), ("fortunes-pl", "fortune", "/usr/share/games/fortunes/pl/"),
           ("manpages-pl", "unread-man", "/usr/share/man/")],
    "hu": [("gimp-help-hu", "html", GIMP + "hu/"), ("gnome-user-docs", "page", GNOME + "hu/")],
    "ro": [("debian-handbook", "html", HANDBOOK + "ro-RO/"), ("gimp-help-ro", "html", GIMP + "ro/"),
           ("gnome-user-docs", "page", GNOME + "ro/")],
    "sl": [("gimp-help-sl", "html", GIMP + "sl/"), ("gnome-user-docs", "page", GNOME + "sl/")],
    "hr": [("debian-handbook", "html", HANDBOOK + "hr-HR/"), ("gimp-help-hr", "html", GIMP + "hr/"),
           ("gnome-user-docs", "page", GNOME + "hr/")],
    "tr": [("debian-handbook", "html", HANDBOOK + "tr-TR/"), ("gnome-user-docs", "page", GNOME + "tr/"),
           ("manpages-tr", "unread-man", "/usr/share/man/")],
    "lt": [("gimp-help-lt", "html", GIMP + "lt/"), ("gnome-user-docs", "page", GNOME + "lt/")],
    "lv": [("gnome-user-docs", "page", GNOME + "lv/"), langpack("lv")],
    "et": [("libreoffice-help-et", "html", "/usr/share/libreoffice/help/et/"), langpack("et")],
    "vi": [("debian-handbook", "html", HANDBOOK + "vi-VN/"), ("maint-guide-vi", "html", "/usr/share/doc/maint-guide-vi/"),
           ("gnome-user-docs", "page", GNOME + "vi/")],
    "ru": [("debian-handbook", "html", HANDBOOK + "ru-RU/"), ("debian-faq-ru", "html", FAQ + "ru/"),
           ("maint-guide-ru", "html", "/usr/share/doc/maint-guide-ru/"), ("manpages-ru", "unread-man", "/usr/share/man/")],
    "uk": [("gimp-help-uk", "html", GIMP + "uk/"), ("gnome-user-docs", "page", GNOME + "uk/"),
           ("manpages-uk", "unread-man", "/usr/share/man/")],
    "bg": [("fortunes-bg", "fortune", "/usr/share/games/fortunes/bg/"), langpack("bg")],
    "sr": [("gnome-user-docs", "page", GNOME + "sr/")],
    "mk": [langpack("mk")],
    "el": [("debian-handbook", "html", HANDBOOK + "el-GR/"), ("gimp-help-el", "html", GIMP + "el/"),
           ("gnome-user-docs", "page", GNOME + "el/")],
    "he": [langpack("he")],
    "ar": [("debian-handbook", "html", HANDBOOK + "ar-MA/"), langpack("ar")],
    "th": [langpack("th")],
    "ja": [("debian-reference-ja", "html", "/usr/share/debian-reference/"), ("debian-faq-ja", "html", FAQ + "ja/"),
           ("maint-guide-ja", "html", "/usr/share/doc/maint-guide-ja/"), ("debian-handbook", "html", HANDBOOK + "ja-JP/")],
    "zh-Hans": [("debian-reference-zh-cn", "html", "/usr/share/debian-reference/"),
                ("debian-faq-zh-cn", "html", FAQ + "zh-cn/"), ("maint-guide-zh-cn", "html", "/usr/share/doc/maint-guide-zh-cn/"),
                ("debian-handbook", "html", HANDBOOK + "zh-CN/")],
    "zh-Hant": [("debian-reference-zh-tw", "html", "/usr/share/debian-reference/"),
                ("maint-guide-zh-tw", "html", "/usr/share/doc/maint-guide-zh-tw/"),
                ("debian-handbook", "html", HANDBOOK + "zh-TW/")],
    "ko": [("debian-faq-ko", "html", FAQ + "ko/"), ("debian-handbook", "html", HANDBOOK + "ko-KR/"),
           ("gnome-user-docs", "page", GNOME + "ko/")],
}
# The files of a folder that belong to the language, where a folder holds several.
FILE_SUFFIX = {("debian-faq", "en"): ".en.html", ("maint-guide", "en"): ".en.html",
               ("debian-reference-es", "es"): ".es.html", ("debian-reference-ja", "ja"): ".ja.html",
               ("debian-reference-zh-cn", "zh-Hans"): ".zh-cn.html", ("debian-reference-zh-tw", "zh-Hant"): ".zh-tw.html"}
EAST_ASIAN = [("ja", "Japanese"), ("zh-Hans", "Chinese (Simplified)"), ("zh-Hant", "Chinese (Traditional)"),
              ("ko", "Korean")]


# --- Packages, installed or fetched.

def installed_version(package):
    out = subprocess.run(["dpkg-query", "-W", "-f=${Status}\t${Version}", package], capture_output=True, text=True)
    if out.returncode != 0 or not out.stdout.startswith("install ok installed"):
        return None
    return out.stdout.split("\t", 1)[1]


PACKAGES = {}  # package -> (version, how it was read, root its files lie under, [paths])


def package(name):
    if name in PACKAGES:
        return PACKAGES[name]
    version = installed_version(name)
    if version is not None:
        listing = subprocess.run(["dpkg", "-L", name], capture_output=True, text=True, check=True).stdout
        files = sorted(line for line in listing.splitlines() if Path(line).is_file())
        PACKAGES[name] = (version, "installed", Path("/"), files)
        return PACKAGES[name]
    CACHE.mkdir(parents=True, exist_ok=True)
    debs = sorted(CACHE.glob(f"{name}_*.deb"))
    if not debs:
        subprocess.run(["apt-get", "download", "-q", "-o", "APT::Sandbox::User=root", name], cwd=CACHE, check=True,
                       stdout=subprocess.DEVNULL)
        debs = sorted(CACHE.glob(f"{name}_*.deb"))
    deb = debs[-1]
    root = CACHE / deb.stem
    if not root.is_dir():
        subprocess.run(["dpkg-deb", "-x", str(deb), str(root)], check=True)
    version = subprocess.run(["dpkg-deb", "-f", str(deb), "Version"], capture_output=True, text=True,
                             check=True).stdout.strip()
    files = sorted("/" + str(p.relative_to(root)) for p in root.rglob("*") if p.is_file() and not p.is_symlink())
    PACKAGES[name] = (version, "fetched, not installed", root, files)
    return PACKAGES[name]


def read_bytes(root, path):
    return (root / path.lstrip("/")).read_bytes()


# --- Running text out of each kind of document.

SKIPPED = re.compile(r"<(script|style|head|info)\b.*?</\1\s*>", re.S | re.I)
COMMENT = re.compile(r"<!--.*?-->", re.S)
BLOCK = re.compile(r"</?(p|br|div|li|ul|ol|dl|dt|dd|h[1-6]|tr|td|th|table|pre|title|section|page|note|item|list|"
                   r"terms|code|screen|example|figure|caption|blockquote|hr)\b[^>]*>", re.I)
TAG = re.compile(r"<[^>]*>")
BLANKS = re.compile(r"[ \t\r\f\v\u00a0]+")


def markup_text(raw):
    text = raw.decode("utf-8", "replace")
    text = SKIPPED.sub(" ", COMMENT.sub(" ", text))
    text = TAG.sub("", BLOCK.sub("\n", text))
    return tidy(html.unescape(text))


def tidy(text):
    lines = (BLANKS.sub(" ", line).strip() for line in text.split("\n"))
    return "\n".join(line for line in lines if line)


PLACEABLE = re.compile(r"\{[^{}]*\}")
FLUENT_KEY = re.compile(r"^-?[A-Za-z][\w-]*\s*=\s?(.*)$")
PROPERTIES_KEY = re.compile(r"^[\w.-]+\s*=\s*(.*)$")


def langpack_documents(data, where):
    """The strings of a Firefox language pack, one document a file; access
    keys and the like are single letters and are left out."""
    docs = []
    with zipfile.ZipFile(io.BytesIO(data)) as pack:
        for name in sorted(pack.namelist()):
            if not name.endswith((".ftl", ".properties")):
                continue
            values = []
            for line in pack.read(name).decode("utf-8", "replace").splitlines():
                if line.startswith("#") or not line.strip():
                    continue
                match = (FLUENT_KEY if name.endswith(".ftl") else PROPERTIES_KEY).match(line)
                if match:
                    values.append(match.group(1))
                elif name.endswith(".ftl") and line.startswith(" ") and not line.strip().startswith((".", "[", "*[", "}")):
                    values[-1:] = [(values[-1] if values else "") + " " + line.strip()]
            text = tidy("\n".join(PLACEABLE.sub(" ", v).replace("\\n", "\n") for v in values))
            docs.append((f"{where}#{name}", text))
    return docs


def fortune_documents(raw, path):
    text = raw.decode("utf-8")
    return [(f"{path}#{i}", tidy(part)) for i, part in enumerate(re.split(r"^%\s*$", text, flags=re.M))
            if part.strip()]


def unread_man_pages(name, files):
    """The manual pages of a package that tools/gen_language_models.py never
    reads: its file order, its filter, and the pages after its cut-off (the
    page the cut-off falls in is left out too)."""
    caps = [cap for *_, sources in models.LANGUAGES for p, kind, cap in sources if p == name and kind == "man"]
    pages = [f for f in files if "/man/" in f and f.endswith(".gz") and not models.CHARSET_PAGES.search(Path(f).name)]
    size, read = 0, 0
    for path in pages:
        if size >= max(caps):
            break
        size += len(models.man_text(path))
        read += 1
    return pages[read:]


def documents(tag, name, kind, folder):
    version, how, root, files = package(name)
    suffix = FILE_SUFFIX.get((name, tag))
    chosen = [f for f in files if f.startswith(folder)]
    if kind == "unread-man":
        return [(f, tidy(models.man_text(f))) for f in unread_man_pages(name, files) if f.startswith(folder)]
    out = []
    for path in chosen:
        if suffix and not path.endswith(suffix):
            continue
        if kind == "html" and path.endswith((".html", ".htm")):
            out.append((path, markup_text(read_bytes(root, path))))
        elif kind == "page" and path.endswith(".page"):
            out.append((path, markup_text(read_bytes(root, path))))
        elif kind == "fortune" and not path.endswith((".dat", ".u8")):
            # The UTF-8 copy where there is one with anything in it, else the
            # file itself when it is UTF-8.
            raw = read_bytes(root, path + ".u8") if path + ".u8" in files else b""
            raw = raw or read_bytes(root, path)
            try:
                raw.decode("utf-8")
            except UnicodeDecodeError:
                continue
            out.extend(fortune_documents(raw, path))
        elif kind == "langpack" and path.endswith(".xpi"):
            out.extend(langpack_documents(read_bytes(root, path), path))
    return out


# Words of English that no other language of the benchmark writes often.
ENGLISH_WORDS = frozenset("the and that with this which from would should your you will there these when".split())
WORDS = re.compile(r"[^\W\d_]+")


def without_english(text):
    """A translation's text without the paragraphs left untranslated: a
    line of five words or more, one in twelve of them English's commonest."""
    kept = []
    for line in text.split("\n"):
        words = WORDS.findall(line.lower())
        if len(words) < 5 or sum(w in ENGLISH_WORDS for w in words) * 12 < len(words):
            kept.append(line)
    return "\n".join(kept)


# Languages not written in Latin letters, whose untranslated documents are
# told by their letters.
OTHER_SCRIPTS = {tag for tag, _, script, _ in models.LANGUAGES if script != "latin"} | set(EAST_ASIAN_SETS)


def share_beyond_ascii(text):
    letters = [c for c in text if c.isalpha()]
    return sum(1 for c in letters if ord(c) > 0x7F) / len(letters) if letters else 0


def half_of(path):
    return hashlib.sha256(path.encode("utf-8")).digest()[0] & 1


def language_text(tag):
    """Per half, the text of the language's documents, and what was read."""
    halves = [[], []]
    report = []
    for name, kind, folder in SOURCES[tag]:
        docs, size = [], 0
        for path, text in documents(tag, name, kind, folder):
            text = unicodedata.normalize("NFC", text if tag == "en" else without_english(text))
            if not text or tag in OTHER_SCRIPTS and share_beyond_ascii(text) < 0.2:
                continue
            docs.append((path, text))
            size += len(text)
            if size >= MAX_SOURCE_CHARS:
                break
        counts = [0, 0]
        for path, text in docs:
            halves[half_of(path)].append(text)
            counts[half_of(path)] += len(text)
        version, how, _, _ = package(name)
        report.append((name, version, how, kind, folder, len(docs), counts))
    return ["\n".join(h) for h in halves], report


# --- Encoders.

def single_byte_encoders():
    """Per single-byte set, its code and a charmap that encodes through recodo's table."""
    out = []
    for code, _, _, _, values in gen_codepage_tables.build():
        decoding = "".join(chr(b) for b in range(0x80)) + "".join(
            "\ufffe" if v == 0xFFFF else chr(v) for v in values)
        # An unpublished set maps most bytes to U+0000, which no text holds.
        if code == 11:
            decoding = decoding[:0xA0] + "\ufffe" * 0x60
        held = {c for c in decoding if c != "\ufffe"}
        out.append((code, codecs.charmap_build(decoding), held))
    return out


def variants(text, tag):
    """The text as a writer would have typed it for sets that lack its own
    letters: Romanian's comma letters as cedilla ones, Vietnamese as
    Windows-1258 spells it."""
    out = [text]
    legacy = "".join(models.LEGACY_FORMS.get(c, c) for c in text)
    if legacy != text:
        out.append(legacy)
    if tag == "vi":
        out.append(models.to_1258_form(text))
    return out


def longest_start(text, limit, length_of):
    """The longest start of `text` whose encoding takes at most `limit` bytes."""
    total = 0
    for i, ch in enumerate(text):
        total += length_of(ch)
        if total > limit:
            return text[:i]
    return text


def encode_east_asian(code, text, limit, cache):
    codec = CODECS[code]
    table = TO_WINDOWS_JIS if code == SHIFT_JIS else TO_JIS if code in (EUC_JP, ISO2022JP) else {}
    text = text.translate(table)

    def length_of(ch):
        if ch not in cache:
            try:
                encoded = ch.encode(codec)
                cache[ch] = len(encoded) if encoded.decode(codec) == ch else None
            except UnicodeError:
                cache[ch] = None
        if cache[ch] is None:
            raise KeyError(ch)
        return cache[ch]

    if code == ISO2022JP:
        # Stateful: the escapes count, so find the start by halving.
        low, high = 0, min(len(text), limit)
        while low < high:
            mid = (low + high + 1) // 2
            try:
                ok = len(text[:mid].encode(codec)) <= limit
            except UnicodeError:
                return None
            low, high = (mid, high) if ok else (low, mid - 1)
        sample = text[:low]
        data = sample.encode(codec)
        # JIS X 0201 Roman and the 1978 set are no part of the set recodo writes.
        if b"\x1b(J" in data or b"\x1b$@" in data or data.decode(codec) != sample:
            return None
        return sample, data
    try:
        sample = longest_start(text, limit, length_of)
    except KeyError:
        return None
    data = sample.encode(codec)
    return (sample, data) if data.decode(codec) == sample else None


# --- Cuts.

def cut_starts(text, size):
    """Starts of up to CUTS_PER_HALF cuts of `size` characters that do not
    overlap, spread over the text, each at a line's start where one is near;
    cuts of plain ASCII are passed over."""
    room = len(text) // size
    candidates = min(CANDIDATES_PER_HALF, room)
    starts, free = [], 0
    for k in range(candidates):
        p = k * len(text) // candidates
        line = text.find("\n", p, p + 200) if p else -1
        p = line + 1 if line >= 0 else p
        if p >= free and not text[p:p + size].isascii():
            starts.append(p)
            free = p + size
    if len(starts) > CUTS_PER_HALF:
        starts = [starts[i * len(starts) // CUTS_PER_HALF] for i in range(CUTS_PER_HALF)]
    return starts


def samples_of_cut(cut, tag, k, size, encoders, ea_cache):
    """(set code, bytes) for every set that holds the cut."""
    out = []
    forms = [(text[:size], set(text[:size])) for text in variants(cut[:size], tag)]
    for code, charmap, held in encoders:
        for sample, characters in forms:
            if not sample.isascii() and characters <= held:
                out.append((code, codecs.charmap_encode(sample, "strict", charmap)[0]))
                break
    sets = list(EAST_ASIAN_SETS.get(tag, []))
    # A share of every language's cuts in the sets that hold all of Unicode.
    if k % 4 == 0:
        sets.append(UTF32)
    if k % 4 == 2:
        sets.append(UTF32BE)
    if k % 4 == 1 and GB18030 not in sets:
        sets.append(GB18030)
    for code in sets:
        if code in (UTF32, UTF32BE):
            sample = cut[:size // 4]
            found = (sample, sample.encode(CODECS[code]))
        else:
            found = encode_east_asian(code, cut, size, ea_cache.setdefault(code, {}))
        if found and not found[0].isascii():
            out.append((code, found[1]))
    return out


def main():
    args = sys.argv[1:]
    compact = args[:1] == ["--compact"]
    if compact:
        args = args[1:]
    if len(args) != 1:
        sys.exit(__doc__)
    output = Path(args[0])
    tables = gen_codepage_tables.build()
    models.VIETNAMESE_UNITS.update(chr(v) for v in tables[24][4] if v != 0xFFFF)
    encoders = single_byte_encoders()
    languages = [(tag, name) for tag, name, *_ in models.LANGUAGES] + EAST_ASIAN
    sizes = SIZES[:3] if compact else SIZES
    header = ["languages " + " ".join(tag for tag, _ in languages), "sizes " + " ".join(map(str, sizes)),
              "halves tuned heldout", f"python {sys.version.split()[0]} (the East Asian sets' and UTF-32's codecs)"]
    records = []
    ea_cache = {}
    summary = []
    for language, (tag, name) in enumerate(languages):
        halves, report = language_text(tag)
        for source in report:
            pkg, version, how, kind, folder, docs, counts = source
            header.append(f"source {tag} {pkg} {version} {kind} {folder} documents={docs} "
                          f"tuned={counts[0]} heldout={counts[1]} ({how})")
        for half, text in enumerate(halves):
            if compact and half == 0:
                continue
            for size_class, size in enumerate(sizes):
                for k, start in enumerate(cut_starts(text, size)):
                    for code, data in samples_of_cut(text[start:start + size], tag, k, size, encoders, ea_cache):
                        records.append((code, language, size_class, half, data))
        summary.append((tag, name, [len(t) for t in halves]))
    if compact:
        records = compact_selection(records)
    counts = {}
    for code, language, size_class, half, data in records:
        counts[language, half, size_class] = counts.get((language, half, size_class), 0) + 1
    head = "\n".join(header).encode("utf-8")
    with output.open("wb") as out:
        out.write(b"RGSAMPL2" + struct.pack("<I", len(head)) + head)
        for code, language, size_class, half, data in records:
            out.write(struct.pack("<IBBBB", len(data), code, language, size_class, half) + data)
    print(f"{'language':<24} {'tuned chars':>11} {'held-out':>9}  samples per size (tuned / held out)",
          file=sys.stderr)
    for language, (tag, name, chars) in enumerate(summary):
        cells = "  ".join(f"{counts.get((language, 0, z), 0):>4} /{counts.get((language, 1, z), 0):>4}"
                          for z in range(len(sizes)))
        print(f"{name + ' (' + tag + ')':<24} {chars[0]:>11} {chars[1]:>9}  {cells}", file=sys.stderr)
    print(f"{len(records)} samples, {output.stat().st_size} bytes; sources in the file's header", file=sys.stderr)


# For the committed test file: per language, set and size at most this many
# held-out samples, the first ones of the half (a few more in the language's
# own East Asian sets, which have few samples). Of its other sets, only every
# n-th in the order met keeps samples of 256 bytes and 1 KiB, so that the
# file stays small.
COMPACT_PER_SET = {0: 2, 1: 1, 2: 1}
COMPACT_PER_OWN_SET = {0: 4, 1: 3, 2: 2}
COMPACT_EVERY = {0: 1, 1: 2, 2: 2}


def compact_selection(records):
    tags = [tag for tag, *_ in models.LANGUAGES] + [tag for tag, _ in EAST_ASIAN]
    kept, seen, order = [], {}, {}
    for record in records:
        code, language, size_class, half, data = record
        key = (language, code, size_class)
        own = code in EAST_ASIAN_SETS.get(tags[language], [])
        if seen.get(key, 0) >= (COMPACT_PER_OWN_SET if own else COMPACT_PER_SET)[size_class]:
            continue
        if not own:
            sets = order.setdefault((language, size_class), [])
            if code not in sets:
                sets.append(code)
            if sets.index(code) % COMPACT_EVERY[size_class]:
                continue
        seen[key] = seen.get(key, 0) + 1
        kept.append(record)
    return kept


if __name__ == "__main__":
    main()
