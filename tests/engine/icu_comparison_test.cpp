// The tables of the sets added since the first ones, compared with ICU's
// converters of the same sets (glibc's iconv where ICU has none), code
// point by code point and sequence by sequence, and texts drawn from each
// set's repertoire converted both ways by both.
#include <gtest/gtest.h>
#include <iconv.h>
#include <unicode/ucnv.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/engine.h"

namespace recodo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Units = std::u16string;

struct Case {
  CharsetCode code;
  const char* icu;    // ICU's converter, or null
  const char* iconv;  // iconv's name where ICU has none
};

const Case kCases[] = {
    {CharsetKoi8R, "KOI8-R", nullptr},
    {CharsetKoi8U, "KOI8-U", nullptr},
    {CharsetIso8859_16, nullptr, "ISO-8859-16"},
    {CharsetShiftJis, "windows-31j", nullptr},
    {CharsetEucJp, "EUC-JP", nullptr},
    {CharsetGbk, "windows-936-2000", nullptr},
    {CharsetGb18030, "gb18030", nullptr},
    {CharsetBig5, "windows-950-2000", nullptr},
    {CharsetEucKr, "windows-949-2000", nullptr},
    {CharsetUtf32, "UTF-32LE", nullptr},
    {CharsetUtf32BE, "UTF-32BE", nullptr},
};

std::string NameOf(CharsetCode code) {
  std::string name;
  for (const char16_t* c = engine::SetName(code); *c; ++c) name += char(*c);
  return name;
}

// Ours, whole text: the units and how many were malformed or unmapped.
Units Decode(CharsetCode set, const Bytes& bytes, std::uint64_t* bad = nullptr) {
  Units units(bytes.size() + 1, 0);
  if (IsAnySingleByteCharset(set)) {
    engine::DecodeSingleByte(set, bytes, reinterpret_cast<std::uint16_t*>(units.data()));
    units.resize(bytes.size());
    if (bad) *bad = 0;
    return units;
  }
  engine::TextDecoding progress;
  engine::DecodeMultiByte(set, bytes, true, reinterpret_cast<std::uint16_t*>(units.data()), &progress);
  units.resize(progress.units);
  if (bad) *bad = progress.substitutions;
  return units;
}

Bytes Encode(CharsetCode set, const Units& units, std::uint64_t* lost = nullptr) {
  Bytes bytes(units.size() * 5 + engine::kMaxClosingBytes);
  const auto* in = reinterpret_cast<const std::uint16_t*>(units.data());
  std::size_t n = 0;
  engine::TextEncoding progress;
  if (IsAnySingleByteCharset(set)) {
    engine::EncodeSingleByte(set, {in, units.size()}, bytes.data());
    n = units.size();
  } else {
    n = engine::EncodeMultiByte(set, {in, units.size()}, bytes.data(), &progress);
    n += engine::FinishMultiByte(set, bytes.data() + n, &progress);
  }
  bytes.resize(n);
  if (lost) *lost = progress.losses;
  return bytes;
}

// The other library's answer, or false where it maps nothing.
class Reference {
 public:
  explicit Reference(const Case& c) : case_(c) {
    if (c.icu != nullptr) {
      UErrorCode error = U_ZERO_ERROR;
      converter_ = ucnv_open(c.icu, &error);
      EXPECT_TRUE(U_SUCCESS(error)) << c.icu;
      ucnv_setToUCallBack(converter_, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
      ucnv_setFromUCallBack(converter_, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
    }
  }
  ~Reference() {
    if (converter_ != nullptr) ucnv_close(converter_);
  }

  bool ToUnicode(const Bytes& bytes, Units* units) {
    if (converter_ == nullptr) return Iconv(case_.iconv, "UTF-16LE", bytes, units);
    std::vector<UChar> out(bytes.size() * 2 + 8);
    UErrorCode error = U_ZERO_ERROR;
    ucnv_resetToUnicode(converter_);
    const std::int32_t n = ucnv_toUChars(converter_, out.data(), std::int32_t(out.size()),
                                         reinterpret_cast<const char*>(bytes.data()), std::int32_t(bytes.size()), &error);
    if (U_FAILURE(error)) return false;
    units->assign(out.begin(), out.begin() + n);
    return true;
  }

  bool FromUnicode(const Units& units, Bytes* bytes) {
    if (converter_ == nullptr) {
      Units narrow;
      Bytes in(reinterpret_cast<const std::uint8_t*>(units.data()),
               reinterpret_cast<const std::uint8_t*>(units.data() + units.size()));
      if (!Iconv("UTF-16LE", case_.iconv, in, &narrow)) return false;
      bytes->assign(reinterpret_cast<const std::uint8_t*>(narrow.data()),
                    reinterpret_cast<const std::uint8_t*>(narrow.data()) + narrow.size() * 2);
      bytes->resize(iconvBytes_);
      return true;
    }
    std::vector<char> out(units.size() * 8 + 8);
    UErrorCode error = U_ZERO_ERROR;
    ucnv_resetFromUnicode(converter_);
    const std::int32_t n = ucnv_fromUChars(converter_, out.data(), std::int32_t(out.size()),
                                           reinterpret_cast<const UChar*>(units.data()), std::int32_t(units.size()),
                                           &error);
    if (U_FAILURE(error)) return false;
    bytes->assign(out.begin(), out.begin() + n);
    return true;
  }

 private:
  // Output bytes go into *out's storage; iconvBytes_ says how many.
  bool Iconv(const char* from, const char* to, const Bytes& in, Units* out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::vector<char> buffer(in.size() * 4 + 8);
    char* src = const_cast<char*>(reinterpret_cast<const char*>(in.data()));
    std::size_t srcLeft = in.size(), dstLeft = buffer.size();
    char* dst = buffer.data();
    const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != std::size_t(-1);
    iconv_close(cd);
    if (!ok) return false;
    iconvBytes_ = buffer.size() - dstLeft;
    out->assign((iconvBytes_ + 1) / 2, 0);
    std::memcpy(out->data(), buffer.data(), iconvBytes_);
    return true;
  }

  Case case_;
  UConverter* converter_ = nullptr;
  std::size_t iconvBytes_ = 0;
};

// The sequences a set's decoder reads as one character: every byte, every
// pair, and EUC-JP's three-byte ones; not GB 18030's four-byte space.
std::vector<Bytes> Sequences(CharsetCode set) {
  std::vector<Bytes> all;
  for (int b = 0; b < 256; ++b) all.push_back({std::uint8_t(b)});
  if (IsAnySingleByteCharset(set) || IsUtf32Charset(set)) return all;
  for (int lead = 0x80; lead < 256; ++lead)
    for (int trail = 0x21; trail < 256; ++trail) all.push_back({std::uint8_t(lead), std::uint8_t(trail)});
  if (set == CharsetEucJp)
    for (int b = 0xA1; b < 0xFF; ++b)
      for (int c = 0xA1; c < 0xFF; ++c) all.push_back({0x8F, std::uint8_t(b), std::uint8_t(c)});
  return all;
}

std::string Hex(const Bytes& bytes) {
  std::string s;
  char buffer[4];
  for (std::uint8_t b : bytes) {
    std::snprintf(buffer, sizeof buffer, "%02X", b);
    s += buffer;
  }
  return s;
}

// What differs from the reference and is kept on purpose, with the reason.
struct Accepted {
  CharsetCode set;
  std::set<std::string> decoded;  // sequences, in hex
  std::set<std::uint16_t> encoded;  // characters
  const char* why;
};

const std::vector<Accepted>& AcceptedDifferences() {
  static const std::vector<Accepted> accepted = {
      {CharsetShiftJis, {"1A", "1C", "7F"}, {0x1A, 0x1C, 0x7F},
       "ICU exchanges the controls 1A, 1C and 7F as IBM's code page 943 does; Windows' 932 keeps them"},
  };
  return accepted;
}

bool AcceptedDecoding(CharsetCode set, const Bytes& bytes) {
  for (const Accepted& a : AcceptedDifferences())
    if (a.set == set && a.decoded.count(Hex(bytes))) return true;
  return false;
}

// ICU's EUC-JP is IBM's 33722, which reads IBM's extension kanji in rows
// F3..FE (and 8F F3..F4) and three symbols at 8E E0..E2, where JIS X 0208,
// JIS X 0212 and Windows' EUC-JP have none. Ours writes those kanji as JIS X
// 0212 (8F xx yy), which every EUC-JP reader reads.
bool IbmRowsOfEucJp(CharsetCode set, const Bytes& bytes) {
  if (set != CharsetEucJp) return false;
  if (bytes.size() == 3) return bytes[0] == 0x8F && bytes[1] >= 0xF3;
  return bytes.size() == 2 && (bytes[0] >= 0xF3 || (bytes[0] == 0x8E && bytes[1] >= 0xE0));
}

bool AcceptedEncoding(CharsetCode set, std::uint16_t unit, const Bytes& ours, const Bytes& theirs) {
  if (IbmRowsOfEucJp(set, theirs) && ours.size() == 3 && ours[0] == 0x8F) return true;
  for (const Accepted& a : AcceptedDifferences())
    if (a.set == set && a.encoded.count(unit)) return true;
  return false;
}

class TableComparison : public testing::TestWithParam<Case> {};
class TextComparison : public testing::TestWithParam<Case> {};
class RejectionComparison : public testing::TestWithParam<Case> {};

TEST_P(TableComparison, EverySequenceBothDefineDecodesAlike) {
  const CharsetCode set = GetParam().code;
  Reference reference(GetParam());
  std::size_t compared = 0;
  std::vector<std::string> differences;
  for (const Bytes& sequence : Sequences(set)) {
    std::uint64_t bad = 0;
    const Units ours = Decode(set, sequence, &bad);
    if (bad != 0 || ours.size() != 1 || ours[0] == 0xFFFF) continue;
    if (sequence.size() > 1 && Decode(set, {sequence[0]}).size() == 1 && Decode(set, {sequence[0]})[0] != 0xFFFD)
      continue;  // two characters of their own
    Units theirs;
    if (!reference.ToUnicode(sequence, &theirs)) continue;
    ++compared;
    if (theirs != ours && !AcceptedDecoding(set, sequence))
      differences.push_back(Hex(sequence));
  }
  EXPECT_GT(compared, IsAnySingleByteCharset(set) ? 200u : 7000u);
  std::string list;
  for (std::size_t i = 0; i < differences.size() && i < 40; ++i) list += differences[i] + " ";
  EXPECT_TRUE(differences.empty()) << NameOf(set) << ": " << differences.size() << " differ: " << list;
}

// What ours reads as malformed or unmapped, ICU reads as no character of
// its own either: at most a private-use one (the user-defined rows of the
// Windows code pages, which ours leaves undefined).
TEST_P(RejectionComparison, EverySequenceOursRejectsIcuDoesNotReadAsACharacter) {
  const CharsetCode set = GetParam().code;
  Reference reference(GetParam());
  std::size_t rejected = 0;
  std::vector<std::string> differences;
  for (const Bytes& sequence : Sequences(set)) {
    std::uint64_t bad = 0;
    const Units ours = Decode(set, sequence, &bad);
    if (bad == 0 && (ours.size() != 1 || ours[0] != 0xFFFF)) continue;
    if (sequence.size() > 1 && Decode(set, {sequence[0]}) != u"\uFFFD") continue;  // a character of its own first
    ++rejected;
    Units theirs;
    if (!reference.ToUnicode(sequence, &theirs) || theirs.empty()) continue;
    // ICU's first character is a private-use one or a substitute, and what
    // follows it (the byte after the lead, read as a character of its own)
    // is what ours reads.
    auto none = [](char16_t c) { return (c >= 0xE000 && c <= 0xF8FF) || c == 0xFFFD || c == 0x1A; };
    bool noCharacter = none(theirs[0]) && (theirs.size() == 1 || theirs.size() == ours.size());
    for (std::size_t i = 1; i < theirs.size() && noCharacter; ++i)
      noCharacter = theirs[i] == ours[i] || (ours[i] == 0xFFFD && none(theirs[i]));
    if (!noCharacter && !IbmRowsOfEucJp(set, sequence) && !AcceptedDecoding(set, sequence))
      differences.push_back(Hex(sequence));
  }
  EXPECT_GT(rejected, 1000u);
  std::string list;
  for (std::size_t i = 0; i < differences.size() && i < 40; ++i) list += differences[i] + " ";
  EXPECT_TRUE(differences.empty()) << NameOf(set) << ": " << differences.size() << " differ: " << list;
}

TEST_P(TableComparison, EveryCharacterBothEncodeEncodesAlike) {
  const CharsetCode set = GetParam().code;
  Reference reference(GetParam());
  std::size_t compared = 0;
  std::vector<std::string> differences;
  for (std::uint32_t unit = 0; unit < 0x10000; ++unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;
    const Units text(1, char16_t(unit));
    std::uint64_t lost = 0;
    const Bytes ours = Encode(set, text, &lost);
    if (lost != 0 || (ours.size() == 1 && ours[0] == '?' && unit != '?')) continue;
    Bytes theirs;
    if (!reference.FromUnicode(text, &theirs)) continue;
    ++compared;
    if (theirs != ours && !AcceptedEncoding(set, std::uint16_t(unit), ours, theirs)) {
      char buffer[40];
      std::snprintf(buffer, sizeof buffer, "U+%04X:%s/%s ", unsigned(unit), Hex(ours).c_str(), Hex(theirs).c_str());
      differences.push_back(buffer);
    }
  }
  EXPECT_GT(compared, IsAnySingleByteCharset(set) ? 200u : 7000u);
  std::string list;
  for (std::size_t i = 0; i < differences.size() && i < 40; ++i) list += differences[i];
  EXPECT_TRUE(differences.empty()) << NameOf(set) << ": " << differences.size() << " differ: " << list;
}

// Texts of characters both sides hold, in every mix with ASCII.
TEST_P(TextComparison, RandomTextsOfTheRepertoireConvertAlikeBothWays) {
  const CharsetCode set = GetParam().code;
  Reference reference(GetParam());
  std::vector<char16_t> repertoire;
  for (std::uint32_t unit = 0x80; unit < 0x10000; ++unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;
    const Units text(1, char16_t(unit));
    std::uint64_t lost = 0;
    const Bytes ours = Encode(set, text, &lost);
    Bytes theirs;
    if (lost == 0 && !(ours.size() == 1 && ours[0] == '?') && reference.FromUnicode(text, &theirs) &&
        theirs == ours && Decode(set, ours) == text)
      repertoire.push_back(char16_t(unit));
  }
  ASSERT_GT(repertoire.size(), 60u);
  std::mt19937 random{std::uint32_t(set)};
  for (int round = 0; round < 20; ++round) {
    Units text;
    const int asciiShare = round % 5;  // none up to most
    for (int i = 0; i < 4000; ++i)
      text += int(random() % 5) < asciiShare ? char16_t(0x20 + random() % 95)
                                             : repertoire[random() % repertoire.size()];
    if (IsUtf32Charset(set)) text += u"\U0001F600";
    const Bytes ours = Encode(set, text);
    Bytes theirs;
    ASSERT_TRUE(reference.FromUnicode(text, &theirs));
    EXPECT_EQ(Hex(ours), Hex(theirs)) << NameOf(set) << " round " << round;
    Units back;
    ASSERT_TRUE(reference.ToUnicode(ours, &back));
    EXPECT_TRUE(Decode(set, ours) == back) << NameOf(set) << " round " << round;
    EXPECT_TRUE(back == text);
  }
}

std::string CaseName(const testing::TestParamInfo<Case>& info) {
  std::string name;
  for (char c : NameOf(info.param.code)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

// UTF-32 has no table: its texts are compared, not its sequences.
INSTANTIATE_TEST_SUITE_P(AddedSets, TableComparison, testing::ValuesIn(kCases, kCases + std::size(kCases) - 2),
                         CaseName);
// The sets of one byte a character leave no byte undefined.
INSTANTIATE_TEST_SUITE_P(AddedSets, RejectionComparison, testing::ValuesIn(kCases + 3, kCases + std::size(kCases) - 2),
                         CaseName);
INSTANTIATE_TEST_SUITE_P(AddedSets, TextComparison, testing::ValuesIn(kCases), CaseName);

// ISO-2022-JP's escapes: ICU's encoder and ours switch alike, and each
// reads the other's texts.
TEST(Iso2022Jp, TextsOfJisX0208ConvertAsIcuDoes) {
  Reference reference({CharsetIso2022Jp, "ISO-2022-JP", nullptr});
  std::vector<char16_t> repertoire;
  for (int row = 0x21; row <= 0x7E; ++row)
    for (int cell = 0x21; cell <= 0x7E; ++cell) {
      const Bytes bytes = {0x1B, '$', 'B', std::uint8_t(row), std::uint8_t(cell), 0x1B, '(', 'B'};
      std::uint64_t bad = 0;
      const Units ours = Decode(CharsetIso2022Jp, bytes, &bad);
      Units theirs;
      if (bad != 0 || !reference.ToUnicode(bytes, &theirs)) continue;
      EXPECT_TRUE(ours == theirs) << Hex(bytes);
      if (Encode(CharsetIso2022Jp, ours) == bytes) repertoire.push_back(ours[0]);
    }
  ASSERT_GT(repertoire.size(), 6000u);
  std::mt19937 random(2022);
  for (int round = 0; round < 20; ++round) {
    Units text;
    for (int i = 0; i < 2000; ++i)
      text += random() % 3 == 0 ? char16_t(0x20 + random() % 95) : repertoire[random() % repertoire.size()];
    const Bytes ours = Encode(CharsetIso2022Jp, text);
    Bytes theirs;
    ASSERT_TRUE(reference.FromUnicode(text, &theirs));
    EXPECT_EQ(Hex(ours), Hex(theirs)) << round;
    EXPECT_TRUE(Decode(CharsetIso2022Jp, theirs) == text) << round;
  }
}

// GB 18030's four-byte sequences: the BMP's, and a sample of the rest.
TEST(Gb18030FourBytes, DecodeAndEncodeAsIcuDoes) {
  Reference reference({CharsetGb18030, "gb18030", nullptr});
  int differences = 0, compared = 0;
  for (std::uint32_t index = 0; index < 39420 + 1058400; index += index < 39420 ? 7 : 997) {
    std::uint32_t i = index < 39420 ? index : index - 39420 + 189000;
    const Bytes bytes = {std::uint8_t(0x81 + i / 12600), std::uint8_t(0x30 + i / 1260 % 10),
                         std::uint8_t(0x81 + i / 10 % 126), std::uint8_t(0x30 + i % 10)};
    std::uint64_t bad = 0;
    const Units ours = Decode(CharsetGb18030, bytes, &bad);
    Units theirs;
    if (!reference.ToUnicode(bytes, &theirs)) continue;
    ++compared;
    if (ours != theirs && !AcceptedDecoding(CharsetGb18030, bytes)) {
      ++differences;
      if (differences < 10) ADD_FAILURE() << Hex(bytes);
      continue;
    }
    if (bad == 0) {
      EXPECT_EQ(Hex(Encode(CharsetGb18030, ours)), Hex(bytes));
    }
  }
  EXPECT_GT(compared, 6000);
  EXPECT_EQ(differences, 0);
}

}  // namespace
}  // namespace recodo
