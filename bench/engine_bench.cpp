// Throughput of every exported function, next to glibc iconv, ICU and memcpy
// on the same text. Run: build/native/bin/engine_bench
#include <benchmark/benchmark.h>
#include <iconv.h>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "recodo/recodo.h"
#include "texts.h"

namespace {

using bench::Script;

struct Size {
  const char* name;
  std::size_t bytes;
};

constexpr Size kSizes[] = {{"100B", 100}, {"64KiB", 64 * 1024}, {"16MiB", 16 * 1024 * 1024}};
constexpr Script kScripts[] = {Script::English, Script::French, Script::Russian, Script::Chinese, Script::Emoji};

// Input of one benchmark family, in the forms the converters take.
struct Text {
  std::string utf8;
  std::vector<std::uint16_t> utf16;
  std::vector<std::uint8_t> single;  // in `charset`, when the script fits one
  int charset = -1;
  const char* iconvName = nullptr;
  const char* icuName = nullptr;
};

Text MakeText(Script script, std::size_t bytes) {
  Text t;
  t.utf8 = bench::MakeUtf8Text(script, bytes);
  t.utf16 = bench::ToUtf16(t.utf8);
  if (script == Script::English || script == Script::French) {
    t.charset = 18, t.iconvName = "CP1252", t.icuName = "windows-1252";
  } else if (script == Script::Russian) {
    t.charset = 17, t.iconvName = "CP1251", t.icuName = "windows-1251";
  }
  if (t.charset >= 0) {
    t.single.resize(t.utf16.size());
    std::uint32_t length = static_cast<std::uint32_t>(t.single.size());
    ConvertDoubleByteToSingleByte(t.charset, t.utf16.data(), static_cast<std::uint32_t>(t.utf16.size() * 2),
                                  t.single.data(), &length);
  }
  return t;
}

template <typename T>
std::uint32_t Bytes(const std::vector<T>& v) {
  return static_cast<std::uint32_t>(v.size() * sizeof(T));
}

// Runs `body` per iteration and reports throughput over `inputBytes`.
void Register(const std::string& name, std::size_t inputBytes, std::function<void()> body) {
  benchmark::RegisterBenchmark(name.c_str(), [inputBytes, body](benchmark::State& state) {
    for (auto _ : state) body();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * inputBytes));
  });
}

// One iconv conversion of a whole buffer; the descriptor is opened once.
std::function<void()> IconvRun(const char* to, const char* from, const void* src, std::size_t srcBytes,
                               std::vector<char>* out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    std::perror("iconv_open");
    std::exit(1);
  }
  return [cd, src, srcBytes, out] {
    char* in = const_cast<char*>(static_cast<const char*>(src));
    std::size_t inLeft = srcBytes;
    char* o = out->data();
    std::size_t oLeft = out->size();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    iconv(cd, &in, &inLeft, &o, &oLeft);
    benchmark::DoNotOptimize(o);
  };
}

UConverter* OpenIcu(const char* name) {
  UErrorCode status = U_ZERO_ERROR;
  UConverter* c = ucnv_open(name, &status);
  if (U_FAILURE(status)) {
    std::fprintf(stderr, "ucnv_open %s: %s\n", name, u_errorName(status));
    std::exit(1);
  }
  return c;
}

void RegisterFamily(Script script, const Size& size) {
  // Texts and buffers live as long as the benchmarks that use them.
  auto* t = new Text(MakeText(script, size.bytes));
  auto* units = new std::vector<std::uint16_t>(t->utf8.size() * 2 + 16);
  auto* bytes = new std::vector<std::uint8_t>(t->utf16.size() * 4 + 16);
  auto* chars = new std::vector<char>(t->utf8.size() * 4 + t->utf16.size() * 4 + 64);
  const std::string tag = std::string(bench::ScriptName(script)) + "/" + size.name + "/";
  const auto* u8 = reinterpret_cast<const std::uint8_t*>(t->utf8.data());
  const std::uint32_t u8Bytes = static_cast<std::uint32_t>(t->utf8.size());
  const std::uint32_t u16Bytes = Bytes(t->utf16);

  Register("memcpy/" + tag + "floor", u8Bytes, [=] {
    std::memcpy(chars->data(), t->utf8.data(), u8Bytes);
    benchmark::ClobberMemory();
  });

  // UTF-8 to UTF-16.
  Register("utf8_to_utf16/" + tag + "recodo", u8Bytes, [=] {
    std::uint32_t length = 0;
    benchmark::DoNotOptimize(ConvertUtf8ToDoubleByte(u8, u8Bytes, units->data(), &length));
  });
  Register("utf8_to_utf16/" + tag + "icu", u8Bytes, [=] {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(reinterpret_cast<UChar*>(units->data()), static_cast<int32_t>(units->size()), &length,
                  t->utf8.data(), static_cast<int32_t>(u8Bytes), &status);
    benchmark::DoNotOptimize(length);
  });
  Register("utf8_to_utf16/" + tag + "iconv", u8Bytes, IconvRun("UTF-16LE", "UTF-8", u8, u8Bytes, chars));

  // Measuring pass (detection's validator) and ICU's preflight.
  Register("utf8_measure/" + tag + "recodo", u8Bytes, [=] {
    std::uint32_t length = 0;
    benchmark::DoNotOptimize(ConvertUtf8ToDoubleByte(u8, u8Bytes, nullptr, &length));
  });
  Register("utf8_measure/" + tag + "icu", u8Bytes, [=] {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, t->utf8.data(), static_cast<int32_t>(u8Bytes), &status);
    benchmark::DoNotOptimize(length);
  });

  // UTF-16 to UTF-8.
  Register("utf16_to_utf8/" + tag + "recodo", u16Bytes, [=] {
    std::uint32_t length = static_cast<std::uint32_t>(bytes->size());
    benchmark::DoNotOptimize(ConvertDoubleByteToUtf8(t->utf16.data(), u16Bytes, bytes->data(), &length));
  });
  Register("utf16_to_utf8/" + tag + "icu", u16Bytes, [=] {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strToUTF8(reinterpret_cast<char*>(bytes->data()), static_cast<int32_t>(bytes->size()), &length,
                reinterpret_cast<const UChar*>(t->utf16.data()), static_cast<int32_t>(t->utf16.size()), &status);
    benchmark::DoNotOptimize(length);
  });
  Register("utf16_to_utf8/" + tag + "iconv", u16Bytes,
           IconvRun("UTF-8", "UTF-16LE", t->utf16.data(), u16Bytes, chars));

  // UTF-16LE to UTF-16BE.
  auto* swapped = new std::vector<std::uint16_t>(t->utf16);
  Register("utf16_swap/" + tag + "recodo", u16Bytes, [=] {
    benchmark::DoNotOptimize(TransformEndianess(swapped->data(), u16Bytes));
  });
  UConverter* be = OpenIcu("UTF-16BE");
  Register("utf16_swap/" + tag + "icu", u16Bytes, [=] {
    UErrorCode status = U_ZERO_ERROR;
    benchmark::DoNotOptimize(ucnv_fromUChars(be, chars->data(), static_cast<int32_t>(chars->size()),
                                             reinterpret_cast<const UChar*>(t->utf16.data()),
                                             static_cast<int32_t>(t->utf16.size()), &status));
  });
  Register("utf16_swap/" + tag + "iconv", u16Bytes,
           IconvRun("UTF-16BE", "UTF-16LE", t->utf16.data(), u16Bytes, chars));

  // Line breaks to CR LF (size pass and conversion, as callers do).
  Register("newline_dos/" + tag + "recodo", u16Bytes, [=] {
    std::uint32_t length = 0;
    TransformNewLineCharacter(1, t->utf16.data(), u16Bytes, nullptr, &length);
    benchmark::DoNotOptimize(TransformNewLineCharacter(1, t->utf16.data(), u16Bytes, units->data(), &length));
  });

  Register("detect/" + tag + "recodo", u8Bytes, [=] { benchmark::DoNotOptimize(DetectCharacterSet(u8, u8Bytes)); });

  if (t->charset < 0) return;
  const std::uint32_t sbBytes = Bytes(t->single);
  UConverter* sbcs = OpenIcu(t->icuName);
  Register("single_to_utf16/" + tag + "recodo", sbBytes, [=] {
    std::uint32_t capacity = sbBytes * 2;
    benchmark::DoNotOptimize(
        ConvertSingleByteToDoubleByte(t->charset, t->single.data(), sbBytes, units->data(), &capacity));
  });
  Register("single_to_utf16/" + tag + "icu", sbBytes, [=] {
    UErrorCode status = U_ZERO_ERROR;
    benchmark::DoNotOptimize(ucnv_toUChars(sbcs, reinterpret_cast<UChar*>(units->data()),
                                           static_cast<int32_t>(units->size()),
                                           reinterpret_cast<const char*>(t->single.data()),
                                           static_cast<int32_t>(sbBytes), &status));
  });
  Register("single_to_utf16/" + tag + "iconv", sbBytes,
           IconvRun("UTF-16LE", t->iconvName, t->single.data(), sbBytes, chars));

  Register("utf16_to_single/" + tag + "recodo", u16Bytes, [=] {
    std::uint32_t capacity = static_cast<std::uint32_t>(bytes->size());
    benchmark::DoNotOptimize(
        ConvertDoubleByteToSingleByte(t->charset, t->utf16.data(), u16Bytes, bytes->data(), &capacity));
  });
  Register("utf16_to_single/" + tag + "icu", u16Bytes, [=] {
    UErrorCode status = U_ZERO_ERROR;
    benchmark::DoNotOptimize(ucnv_fromUChars(sbcs, chars->data(), static_cast<int32_t>(chars->size()),
                                             reinterpret_cast<const UChar*>(t->utf16.data()),
                                             static_cast<int32_t>(t->utf16.size()), &status));
  });
  Register("utf16_to_single/" + tag + "iconv", u16Bytes,
           IconvRun(t->iconvName, "UTF-16LE", t->utf16.data(), u16Bytes, chars));
}

void RegisterFileDetection() {
  // A 16 MiB French file: UTF-8 with its decisive bytes spread through it.
  const std::string text = bench::MakeUtf8Text(Script::French, 16 * 1024 * 1024);
  static std::string path = "/tmp/recodo-bench-detect.txt";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  static std::u16string wide(path.begin(), path.end());
  Register("detect_file/french/16MiB/recodo", text.size(), [] {
    benchmark::DoNotOptimize(DetectCharacterSetByFile(reinterpret_cast<const std::uint16_t*>(wide.c_str())));
  });
}

}  // namespace

int main(int argc, char** argv) {
  for (const Size& size : kSizes)
    for (Script script : kScripts) RegisterFamily(script, size);
  RegisterFileDetection();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove("/tmp/recodo-bench-detect.txt");
  return 0;
}
