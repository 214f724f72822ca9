#!/usr/bin/env python3
"""Writes engine/multibyte_tables.generated.cpp: the byte tables of the East
Asian sets, read out of Python's codecs, which are generated from the
published mapping files (Microsoft's code pages 932, 936, 949 and 950, JIS X
0208 and 0212, GB 18030).

Each set is stored as its decoding: what each single byte is, and a table of
the characters of each two-byte (and, for EUC-JP, three-byte) sequence. The
encoder's table is built from it at run time, the first sequence of a
character winning; the few characters the codec encodes otherwise are listed
as preferences. GB 18030's four-byte sequences of the BMP are stored as
ranges of consecutive characters; the rest of Unicode is arithmetic.

Usage: tools/gen_multibyte_tables.py [output-path]
"""
import subprocess
import sys
from pathlib import Path

NONE = 0xFFFF  # no character (decoding) or no sequence (encoding)
LEAD = 0xFFFE  # a single byte that starts a longer sequence
FOUR_BYTES = 0xFFFE  # a preference for GB 18030's four-byte form

def big5_private_use():
    """Microsoft's code page 950 reads C6A1..C8FE as private-use characters
    from U+F6B1 on, 157 a row; Python's codec has ETEN's kana there."""
    extra, unit = {}, 0xF6B1
    for lead in range(0xC6, 0xC9):
        for trail in list(range(0x40, 0x7F)) + list(range(0xA1, 0xFF)):
            if lead == 0xC6 and trail < 0xA1:
                continue
            extra[bytes([lead, trail])] = unit
            unit += 1
    return extra


# JIS X 0208 as Microsoft maps it (and ICU does), so that EUC-JP and
# ISO-2022-JP carry the same characters as code page 932: the wave dash,
# parallel, minus, cent, pound and not signs of its full-width forms.
MICROSOFT_JIS = {b"\xa1\xc1": 0xFF5E, b"\xa1\xc2": 0x2225, b"\xa1\xdd": 0xFF0D, b"\xa1\xf1": 0xFFE0,
                 b"\xa1\xf2": 0xFFE1, b"\xa2\xcc": 0xFFE2, b"\x8f\xa2\xb7": 0xFF5E}
def nec_row_13():
    """NEC's row 13 of JIS X 0208 (circled digits, Roman numerals, units),
    which Windows' EUC-JP reads in row AD as code page 932 reads it in 87."""
    extra = {}
    for cell in range(0x21, 0x7F):
        value = decode_one("cp932", bytes([0x87, cell + (0x1F if cell <= 0x5F else 0x20)]))
        if value is not None:
            extra[bytes([0xAD, cell | 0x80])] = value
    return extra


# EUC's C1 controls are themselves, as in Windows and ICU.
C1_CONTROLS = {bytes([b]): b for b in list(range(0x80, 0x8E)) + list(range(0x90, 0xA0))}
# Windows' code pages 949 and 950 read 80 as U+0080.
BYTE_80 = {b"\x80": 0x80}

LEAD_RANGES = {
    "cp932": list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD)),
    "euc_jp": [0x8E, 0x8F] + list(range(0xA1, 0xFF)),
    "gbk": list(range(0x81, 0xFF)),
    "gb18030": list(range(0x81, 0xFF)),
    "cp950": list(range(0x81, 0xFF)),
    "cp949": list(range(0x81, 0xFF)),
}


def sets():
    """(identifier, primary name, codec, extra {bytes: character}, what it is)"""
    return [
        ("ShiftJis", "Shift_JIS", "cp932", {}, "Microsoft's code page 932"),
        ("EucJp", "EUC-JP", "euc_jp", {**MICROSOFT_JIS, **C1_CONTROLS, **nec_row_13()}, "JIS X 0208 and JIS X 0212"),
        # Windows' code page 936 has the euro sign as a byte of its own.
        ("Gbk", "GBK", "gbk", {b"\x80": 0x20AC}, "Microsoft's code page 936"),
        # GB 18030-2005 moved one character out of the private-use area.
        ("Gb18030", "GB18030", "gb18030", {b"\xa8\xbc": 0x1E3F, b"\x81\x35\xf4\x37": 0xE7C7}, "GB 18030-2005"),
        ("Big5", "Big5", "cp950", {**big5_private_use(), **BYTE_80}, "Microsoft's code page 950"),
        ("EucKr", "EUC-KR", "cp949", BYTE_80, "Microsoft's code page 949 (Unified Hangul Code)"),
    ]


def decode_one(codec, seq):
    try:
        text = seq.decode(codec)
    except UnicodeDecodeError:
        return None
    return ord(text) if len(text) == 1 and ord(text) <= 0xFFFF else None


def encode_one(codec, ch):
    try:
        return chr(ch).encode(codec)
    except UnicodeEncodeError:
        return None


def code_of(seq):
    """An encoding as the run-time table holds it."""
    if len(seq) == 1:
        return seq[0]
    if len(seq) == 2:
        return seq[0] << 8 | seq[1]
    assert len(seq) == 3 and seq[0] == 0x8F
    return (seq[1] & 0x7F) << 8 | (seq[2] & 0x7F)


def table_of(ident, name, codec, extra):
    single = [NONE] * 256
    for b in range(256):
        value = extra.get(bytes([b]), decode_one(codec, bytes([b])))
        if value is not None:
            single[b] = value
    pairs = {}
    for lead in range(0x80, 0x100):
        if single[lead] != NONE:
            continue
        for trail in range(0x21, 0x100):
            value = extra.get(bytes([lead, trail]), decode_one(codec, bytes([lead, trail])))
            if value is not None:
                pairs[(lead, trail)] = value
    leads = sorted({lead for lead, _ in pairs})
    trails = sorted({trail for _, trail in pairs})
    triples = {}
    if codec == "euc_jp":
        for second in range(0xA1, 0xFF):
            for third in range(0xA1, 0xFF):
                value = extra.get(bytes([0x8F, second, third]), decode_one(codec, bytes([0x8F, second, third])))
                if value is not None:
                    triples[(second, third)] = value
        leads.append(0x8F)
    assert single[:0x80] == list(range(0x80)), name  # ASCII is itself
    for lead in leads:
        single[lead] = LEAD
    # Every byte of the set's lead range leads, rows it leaves empty too:
    # their trail byte belongs to them, not to the character after.
    for lead in LEAD_RANGES[codec]:
        if single[lead] == NONE:
            single[lead] = LEAD
    t = dict(ident=ident, name=name, codec=codec, single=single, pairs=pairs, triples=triples,
             leadMin=min(leads), leadMax=max(leads), trailMin=trails[0], trailMax=trails[-1])
    t["ranges"] = gb18030_ranges(extra) if codec == "gb18030" else []
    t["preferred"] = preferences(t, extra)
    return t


def gb18030_ranges(extra):
    """The BMP's four-byte sequences, as (first index, first character) of
    each run of consecutive characters, index counted from 81 30 81 30."""
    ranges = []
    previous = None
    for index in range(39420):
        b4 = index % 10; b3 = index // 10 % 126; b2 = index // 1260 % 10; b1 = index // 12600
        seq = bytes([0x81 + b1, 0x30 + b2, 0x81 + b3, 0x30 + b4])
        value = extra.get(seq, decode_one("gb18030", seq))
        assert value is not None, index
        if previous is None or value != previous + 1:
            ranges.append((index, value))
        previous = value
    return ranges


def gb18030_four(ranges, unit):
    best = None
    for index, first in ranges:
        if first <= unit:
            if best is None or first > best[1]:
                best = (index, first)
    index = best[0] + unit - best[1]
    return bytes([0x81 + index // 12600, 0x30 + index // 1260 % 10, 0x81 + index // 10 % 126, 0x30 + index % 10])


def preferences(t, extra):
    """Characters whose encoding is not the first sequence that decodes to
    them, as the codec (or an extra byte) says: (character, code). Only
    sequences that decode back to the character count: a codec's best fits
    (U+00A2 to a full-width cent sign) would change the text unseen."""
    first = {}
    for b, value in enumerate(t["single"]):
        if value not in (NONE, LEAD):
            first.setdefault(value, bytes([b]))
    for (lead, trail), value in sorted(t["pairs"].items()):
        first.setdefault(value, bytes([lead, trail]))
    for (second, third), value in sorted(t["triples"].items()):
        first.setdefault(value, bytes([0x8F, second, third]))
    # What the extras decode to encodes as the table's first sequence, not
    # as the codec would.
    wanted = {unit: first.get(unit) for unit in set(extra.values())}
    if t["codec"] == "cp950":
        # Box drawings that two rows hold: Windows writes the later ones.
        wanted.update({0x2550: b"\xf9\xf9", 0x255E: b"\xf9\xe9", 0x2561: b"\xf9\xeb", 0x256A: b"\xf9\xea"})
    if t["codec"] == "cp932":
        # Windows encodes IBM's extensions as IBM's own rows (FA..FC), not
        # as the NEC-selected copies in rows ED and EE.
        for (lead, trail), value in sorted(t["pairs"].items()):
            if lead >= 0xFA:
                wanted.setdefault(value, bytes([lead, trail]))
        for value, seq in list(wanted.items()):
            if first.get(value) and first[value][0] not in (0xED, 0xEE):
                del wanted[value]
    preferred = []
    for unit in range(0x10000):
        if 0xD800 <= unit <= 0xDFFF:
            continue
        expected = wanted[unit] if unit in wanted else encode_one(t["codec"], unit)
        got = first.get(unit)
        if expected is not None and len(expected) < 4 and decode_sequence(t, expected) != unit:
            expected = got
        if t["codec"] == "gb18030" and got is None:
            got = gb18030_four(t["ranges"], unit)
        if expected == got:
            continue
        if expected is not None and len(expected) == 4:
            assert t["codec"] == "gb18030" and expected == gb18030_four(t["ranges"], unit), hex(unit)
            preferred.append((unit, FOUR_BYTES))  # the four-byte form, not the table's
        else:
            preferred.append((unit, NONE if expected is None else code_of(expected)))
    return preferred


def decode_sequence(t, seq):
    if len(seq) == 1:
        return t["single"][seq[0]]
    if len(seq) == 2:
        return t["pairs"].get((seq[0], seq[1]))
    return t["triples"].get((seq[1], seq[2]))


def iso2022jp_check(euc):
    """ISO-2022-JP's JIS X 0208 is EUC-JP's, seven bits wide."""
    for (lead, trail), value in euc["pairs"].items():
        if lead >= 0xA1 and lead != 0xAD and bytes([lead, trail]) not in MICROSOFT_JIS:
            seq = b"\x1b$B" + bytes([lead & 0x7F, trail & 0x7F]) + b"\x1b(B"
            assert decode_one("iso2022_jp", seq) == value, (hex(lead), hex(trail))


def python_package():
    version = f"{sys.version_info.major}.{sys.version_info.minor}"
    try:
        out = subprocess.run(["dpkg-query", "-W", "-f=${Package} ${Version}", f"libpython{version}-minimal"],
                             capture_output=True, text=True, check=True).stdout
        return f"Debian package {out}"
    except (OSError, subprocess.CalledProcessError):
        return f"Python {sys.version.split()[0]}"


def array(name, values, kind="std::uint16_t"):
    out = [f"constexpr {kind} {name}[{len(values)}] = {{"]
    for row in range(0, len(values), 12):
        out.append("    " + ", ".join(f"0x{v:04X}" for v in values[row:row + 12]) + ",")
    out.append("};")
    return out


def render(tables, package):
    out = [
        "// Generated by tools/gen_multibyte_tables.py; do not edit.",
        f"// Read out of the codecs of {package}.",
        "#include \"engine/multibyte_tables.h\"",
        "",
        "namespace recodo::multibyte {",
        "namespace {",
        "",
    ]
    for t in tables:
        ident = t["ident"]
        width = t["trailMax"] - t["trailMin"] + 1
        pairs = [NONE] * ((t["leadMax"] - t["leadMin"] + 1) * width)
        for (lead, trail), value in t["pairs"].items():
            pairs[(lead - t["leadMin"]) * width + trail - t["trailMin"]] = value
        changed = ""
        if ident == "Gbk":
            changed = "; 80 is U+20AC"
        elif ident == "EucJp":
            changed = ("; A1C1 A1C2 A1DD A1F1 A1F2 A2CC 8FA2B7 and NEC's row 13 (AD) as Microsoft maps them,"
                       " C1 controls as themselves")
        elif ident == "Gb18030":
            changed = "; A8BC is U+1E3F and 81 35 F4 37 U+E7C7, as in the 2005 edition"
        elif ident == "Big5":
            changed = ("; C6A1..C8FE private use from U+F6B1, U+2550 U+255E U+2561 U+256A to row F9,"
                       " and 80 as U+0080, as Microsoft maps them")
        elif ident == "EucKr":
            changed = "; 80 as U+0080, as Microsoft maps it"
        elif ident == "ShiftJis":
            changed = "; IBM's extensions encode to rows FA..FC, as Windows does"
        out.append(f"// {t['name']}: {t['what']}, from the codec {t['codec']}{changed}.")
        out += array(f"k{ident}Single", t["single"])
        out += array(f"k{ident}Pairs", pairs)
        if t["triples"]:
            triples = [NONE] * (94 * 94)
            for (second, third), value in t["triples"].items():
                triples[(second - 0xA1) * 94 + third - 0xA1] = value
            out += array(f"k{ident}Triples", triples)
        if t["ranges"]:
            out.append(f"constexpr FourByteRange k{ident}Ranges[{len(t['ranges'])}] = {{")
            for row in range(0, len(t["ranges"]), 6):
                out.append("    " + ", ".join(f"{{{i}, 0x{v:04X}}}" for i, v in t["ranges"][row:row + 6]) + ",")
            out.append("};")
        if t["preferred"]:
            out.append(f"constexpr Preference k{ident}Preferred[{len(t['preferred'])}] = {{")
            for row in range(0, len(t["preferred"]), 6):
                out.append("    " + ", ".join(f"{{0x{u:04X}, 0x{c:04X}}}" for u, c in t["preferred"][row:row + 6]) + ",")
            out.append("};")
        out.append("")
    # Built in code, not as constant data: recodo.exe loaded as a library may
    # be left unrelocated, and pointers stored in data would then be wrong.
    out += ["}  // namespace", "", "DoubleByteTables TablesOf(TableIndex index) {", "  switch (index) {"]
    for t in tables:
        ident = t["ident"]
        triples = f"k{ident}Triples" if t["triples"] else "nullptr"
        ranges = f"k{ident}Ranges, {len(t['ranges'])}" if t["ranges"] else "nullptr, 0"
        preferred = f"k{ident}Preferred, {len(t['preferred'])}" if t["preferred"] else "nullptr, 0"
        out.append(f"    case k{ident}:")
        out.append(f"      return {{k{ident}Single, k{ident}Pairs, 0x{t['leadMin']:02X}, 0x{t['leadMax']:02X}, "
                   f"0x{t['trailMin']:02X}, 0x{t['trailMax']:02X}, {triples}, {ranges}, {preferred}}};")
    out += ["    default:", "      return {};", "  }", "}", "", "}  // namespace recodo::multibyte", ""]
    return "\n".join(out)


def main():
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else \
        Path(__file__).resolve().parent.parent / "engine" / "multibyte_tables.generated.cpp"
    tables = []
    for ident, name, codec, extra, what in sets():
        t = table_of(ident, name, codec, extra)
        t["what"] = what
        tables.append(t)
    iso2022jp_check(tables[1])
    target.write_text(render(tables, python_package()), encoding="utf-8", newline="\n")


if __name__ == "__main__":
    main()
