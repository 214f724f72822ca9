// A kernel that uses 256- or 512-bit registers must clear their upper halves
// before it returns: the scalar code around it is compiled for SSE, and on
// many processors every SSE instruction after a dirty upper state is slowed,
// the whole call several times over. The compiler does not always clear
// them (not after calls that pass 256-bit arguments), so each entry is
// checked here on the state the processor reports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "at_every_level.h"
#include "call.h"
#include "engine/engine.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

using namespace call;

namespace {

class UpperState : public levels::AtEveryLevel {};

constexpr int kWindows1251 = 17;  // Cyrillic rows the byte shuffles take

#if defined(__x86_64__) || defined(__i386__)
// XGETBV with ECX = 1 tells which register states are in use: bit 2 is the
// upper halves of the AVX registers.
bool CanAsk() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid_max(0, nullptr) < 0xD) return false;
  __cpuid_count(0xD, 1, a, b, c, d);
  return (a & 4) != 0;
}

bool UpperInUse() {
  unsigned lo = 0, hi = 0;
  __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(1));
  return (lo & 4) != 0;
}
#else
bool CanAsk() { return false; }
bool UpperInUse() { return false; }
#endif

// Texts of each kind of form, cut to lengths that end inside, at and past
// the windows of every level.
std::vector<Units> Texts() {
  const Units kinds[] = {{'a', 'b', ' ', 'c'}, {'a', 0xE9, 'l', 0x2019}, {0x0416, 0x0430, ' ', 0x0431},
                         {0x4E2D, 0x6587, 0x3002, 'x'}, {0xD83D, 0xDE00, ' ', 0x00AB}, {'\r', '\n', 'a', 0xD800}};
  std::vector<Units> texts;
  for (const Units& kind : kinds) {
    for (std::size_t length : {3, 9, 17, 40, 70, 300}) {
      Units text;
      while (text.size() < length) text.insert(text.end(), kind.begin(), kind.end());
      text.resize(length);
      texts.push_back(text);
    }
  }
  return texts;
}

TEST_P(UpperState, EveryEntryReturnsWithTheUpperHalvesClear) {
  if (!CanAsk()) GTEST_SKIP() << "this processor does not say which register states are in use";
  std::vector<std::string> dirty;
  const auto check = [&](const char* entry, std::size_t length) {
    if (UpperInUse()) dirty.push_back(std::string(entry) + " of " + std::to_string(length) + " units");
  };
  for (const Units& text : Texts()) {
    const std::size_t n = text.size();
    const BytesOut utf8 = EncodeUtf8(text);
    check("UTF-16 to UTF-8", n);
    ASSERT_EQ(utf8.result, recodo::ConvOk);
    DecodeUtf8(utf8.bytes);
    check("UTF-8 to UTF-16", n);
    DecodeUtf8(utf8.bytes, true);
    check("the UTF-8 measuring pass", n);
    const BytesOut single = EncodeSingle(kWindows1251, text);
    check("UTF-16 to Windows-1251", n);
    ASSERT_EQ(single.result, recodo::ConvOk);
    DecodeSingle(kWindows1251, single.bytes);
    check("Windows-1251 to UTF-16", n);
    DecodeSingle(recodo::CharsetWindows1252, utf8.bytes);
    check("Windows-1252 to UTF-16", n);
    recodo::engine::Utf8Forms forms;
    recodo::engine::MakeUtf8Forms(recodo::CharsetWindows1252, &forms);
    std::vector<std::uint8_t> expanded(utf8.bytes.size() * 3 + 1);
    bool lost = false;
    recodo::engine::ExpandToUtf8(forms, utf8.bytes, expanded.data(), &lost);
    check("Windows-1252 straight to UTF-8", n);
    Units swapped = text;
    TransformEndianess(swapped.data(), static_cast<std::uint32_t>(n * 2));
    check("byte swapping", n);
    NewLines(2, text);
    check("line breaks", n);
    DetectCharacterSet(utf8.bytes.data(), static_cast<std::uint32_t>(utf8.bytes.size()));
    check("detection", n);
    recodo::engine::AnySurrogate(text);
    check("the surrogate scan", n);
    std::uint32_t length = 0;
    ConvertDoubleByteToMultiByte(recodo::CharsetShiftJis, text.data(), static_cast<std::uint32_t>(n * 2), nullptr,
                                 &length);
    ASSERT_GT(length, 0u);
    std::vector<std::uint8_t> sjis(length + 1);
    ConvertDoubleByteToMultiByte(recodo::CharsetShiftJis, text.data(), static_cast<std::uint32_t>(n * 2), sjis.data(), &length);
    check("UTF-16 to Shift_JIS", n);
    std::uint32_t units = static_cast<std::uint32_t>(length * 2 + 2);
    std::vector<std::uint16_t> back(length + 1);
    ASSERT_EQ(ConvertMultiByteToDoubleByte(recodo::CharsetShiftJis, sjis.data(), length, back.data(), &units) &
                  ~recodo::ConvMultiByteSeen,
              recodo::ConvOk);
    check("Shift_JIS to UTF-16", n);
  }
  EXPECT_TRUE(dirty.empty()) << "left dirty: " << ::testing::PrintToString(dirty);
}

RECODO_AT_EVERY_LEVEL(UpperState);

}  // namespace
