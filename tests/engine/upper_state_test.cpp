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
  return (a & 4) != 0 && __builtin_cpu_supports("avx");
}

bool UpperInUse() {
  unsigned lo = 0, hi = 0;
  __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(1));
  return (lo & 4) != 0;
}

void ClearUpper() { __asm__ volatile("vzeroupper"); }
#else
bool CanAsk() { return false; }
bool UpperInUse() { return false; }
void ClearUpper() {}
#endif

// Whether one entry, called with the upper halves clear, returns with them in
// use. Only the entry runs in between: the state may be dirtied by other code
// of the process (the sanitizers' runtime, the kernel), which is not ours to
// check, so every buffer is made beforehand.
template <class Entry>
bool LeavesThemInUse(Entry&& entry) {
  ClearUpper();
  entry();
  return UpperInUse();
}

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
  for (const Units& text : Texts()) {
    const std::size_t n = text.size();
    const std::uint32_t size = Size(text);
    const auto check = [&](const char* name, auto&& entry) {
      if (LeavesThemInUse(entry)) dirty.push_back(std::string(name) + " of " + std::to_string(n) + " units");
    };
    const BytesOut utf8 = EncodeUtf8(text);
    ASSERT_EQ(utf8.result, recodo::ConvOk);
    const Bytes& u8 = utf8.bytes;
    const BytesOut single = EncodeSingle(kWindows1251, text);
    ASSERT_EQ(single.result, recodo::ConvOk);
    std::uint32_t length = 0;
    ConvertDoubleByteToMultiByte(recodo::CharsetShiftJis, text.data(), size, nullptr, &length);
    ASSERT_GT(length, 0u);
    std::vector<std::uint8_t> sjis(length + 1);
    Units units(u8.size() * 3 + 8);
    Bytes bytes(u8.size() * 3 + 8);
    Units swapped = text;
    recodo::engine::Utf8Forms forms;
    recodo::engine::MakeUtf8Forms(recodo::CharsetWindows1252, &forms);
    bool lost = false;
    std::uint32_t out = 0;

    check("UTF-16 to UTF-8", [&] {
      out = static_cast<std::uint32_t>(bytes.size());
      ConvertDoubleByteToUtf8(text.data(), size, bytes.data(), &out);
    });
    check("UTF-16 to UTF-8, the size query", [&] { ConvertDoubleByteToUtf8(text.data(), size, nullptr, &out); });
    check("UTF-8 to UTF-16", [&] { ConvertUtf8ToDoubleByte(u8.data(), Size(u8), units.data(), &out); });
    check("the UTF-8 measuring pass", [&] { ConvertUtf8ToDoubleByte(u8.data(), Size(u8), nullptr, &out); });
    check("UTF-16 to Windows-1251", [&] {
      out = static_cast<std::uint32_t>(bytes.size());
      ConvertDoubleByteToSingleByte(kWindows1251, text.data(), size, bytes.data(), &out);
    });
    check("Windows-1251 to UTF-16", [&] {
      out = static_cast<std::uint32_t>(units.size() * 2);
      ConvertSingleByteToDoubleByte(kWindows1251, single.bytes.data(), Size(single.bytes), units.data(), &out);
    });
    check("Windows-1252 to UTF-16", [&] {
      out = static_cast<std::uint32_t>(units.size() * 2);
      ConvertSingleByteToDoubleByte(recodo::CharsetWindows1252, u8.data(), Size(u8), units.data(), &out);
    });
    check("Windows-1252 straight to UTF-8", [&] { recodo::engine::ExpandToUtf8(forms, u8, bytes.data(), &lost); });
    check("byte swapping", [&] { TransformEndianess(swapped.data(), size); });
    check("line breaks", [&] {
      out = static_cast<std::uint32_t>(units.size() * 2);
      TransformNewLineCharacter(2, text.data(), size, units.data(), &out);
    });
    check("detection", [&] { DetectCharacterSet(u8.data(), Size(u8)); });
    check("the surrogate scan", [&] { recodo::engine::AnySurrogate(text); });
    check("UTF-16 to Shift_JIS", [&] {
      out = length;
      ConvertDoubleByteToMultiByte(recodo::CharsetShiftJis, text.data(), size, sjis.data(), &out);
    });
    check("Shift_JIS to UTF-16", [&] {
      out = static_cast<std::uint32_t>(units.size() * 2);
      ConvertMultiByteToDoubleByte(recodo::CharsetShiftJis, sjis.data(), length, units.data(), &out);
    });
  }
  EXPECT_TRUE(dirty.empty()) << "left dirty: " << ::testing::PrintToString(dirty);
}

RECODO_AT_EVERY_LEVEL(UpperState);

}  // namespace
