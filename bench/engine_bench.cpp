// Throughput of every exported function the way callers pay for it: a
// two-pass function is timed as its size query or measuring pass plus its
// conversion, in one row. Each row runs at every kernel level this machine
// has, next to ICU, glibc iconv and memcpy on the same input in the same run,
// on a whole text of just under 16 MiB and on 1,000 consecutive pieces of at
// most 100 bytes (one call each). Run: build/native/bin/engine_bench
#include <benchmark/benchmark.h>
#include <iconv.h>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/kernels/dispatch.h"
#include "recodo/recodo.h"
#include "texts.h"

namespace {

using bench::Script;
using recodo::kernels::Level;

constexpr std::size_t kWholeBytes = 16 * 1024 * 1024;
constexpr std::size_t kPieces = 1000;
constexpr std::size_t kPieceBytes = 100;

// One input of a row: its bytes, and where its 100-byte pieces end.
struct Input {
  const std::uint8_t* data;
  std::size_t bytes;
  std::vector<std::size_t> pieceEnds;  // in bytes
};

struct Corpus {
  Script script;
  std::string utf8;
  std::vector<std::uint16_t> utf16;
  std::vector<std::uint8_t> single;  // in `charset`, for the scripts one holds
  int charset = -1;
  const char* iconvName = nullptr;
  const char* icuName = nullptr;
  Input utf8Input, utf16Input, singleInput;
};

std::vector<std::size_t> InBytes(std::vector<std::size_t> ends, std::size_t unitBytes) {
  for (auto& e : ends) e *= unitBytes;
  return ends;
}

Corpus* MakeCorpus(Script script) {
  auto* c = new Corpus;
  c->script = script;
  c->utf8 = bench::MakeUtf8Text(script, kWholeBytes);
  c->utf16 = bench::ToUtf16(c->utf8);
  if (script == Script::English || script == Script::French) {
    c->charset = 18, c->iconvName = "CP1252", c->icuName = "windows-1252";
  } else if (script == Script::Russian) {
    c->charset = 17, c->iconvName = "CP1251", c->icuName = "windows-1251";
  }
  c->utf8Input = {reinterpret_cast<const std::uint8_t*>(c->utf8.data()), c->utf8.size(),
                  bench::Utf8PieceEnds(c->utf8, kPieces, kPieceBytes)};
  c->utf16Input = {reinterpret_cast<const std::uint8_t*>(c->utf16.data()), c->utf16.size() * 2,
                   InBytes(bench::Utf16PieceEnds(c->utf16, kPieces, kPieceBytes), 2)};
  if (c->charset >= 0) {
    c->single.resize(c->utf16.size());
    std::uint32_t length = static_cast<std::uint32_t>(c->single.size());
    ConvertDoubleByteToSingleByte(c->charset, c->utf16.data(), static_cast<std::uint32_t>(c->utf16.size() * 2),
                                  c->single.data(), &length);
    c->singleInput = {c->single.data(), c->single.size(), bench::BytePieceEnds(c->single.size(), kPieces, kPieceBytes)};
  }
  return c;
}

// Output room for any call of any row.
std::uint8_t* Scratch() {
  static auto* buffer = new std::vector<std::uint8_t>(kWholeBytes * 4 + 4096);
  return buffer->data();
}

// Registers one row of one implementation: `call(src, bytes, out)` on the
// whole input, or once per piece.
template <typename Call>
void Register(const std::string& name, const Input& input, bool pieces, Level level, bool pin, Call call) {
  benchmark::RegisterBenchmark(name.c_str(), [&input, pieces, level, pin, call](benchmark::State& state) {
    if (pin) recodo::kernels::Use(level);
    std::uint8_t* out = Scratch();
    // The pieces are consecutive from the start of the text.
    const std::size_t total = !pieces ? input.bytes : input.pieceEnds.empty() ? 0 : input.pieceEnds.back();
    for (auto _ : state) {
      if (pieces) {
        std::size_t start = 0;
        for (std::size_t end : input.pieceEnds) {
          call(input.data + start, static_cast<std::uint32_t>(end - start), out);
          start = end;
        }
      } else {
        call(input.data, static_cast<std::uint32_t>(input.bytes), out);
      }
      benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * total));
  });
}

iconv_t OpenIconv(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    std::perror("iconv_open");
    std::exit(1);
  }
  return cd;
}

// One iconv conversion of a buffer, from its initial state.
auto IconvCall(const char* to, const char* from) {
  iconv_t cd = OpenIconv(to, from);
  return [cd](const std::uint8_t* src, std::uint32_t bytes, std::uint8_t* out) {
    char* in = const_cast<char*>(reinterpret_cast<const char*>(src));
    std::size_t inLeft = bytes;
    char* o = reinterpret_cast<char*>(out);
    std::size_t oLeft = std::size_t(bytes) * 4 + 16;
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

// The best level this processor runs, or the lower one RECODO_KERNELS names:
// rows run at each level up to it.
Level HighestLevel() {
  Level best = Level::Portable;
  for (int l = 0; l < recodo::kernels::kLevelCount; ++l)
    if (recodo::kernels::Runs(static_cast<Level>(l))) best = static_cast<Level>(l);
  return recodo::kernels::PickLevel(std::getenv("RECODO_KERNELS"), best);
}

// The processor's model, family and vector instruction sets, as Linux tells.
std::string Processor() {
  std::FILE* info = std::fopen("/proc/cpuinfo", "r");
  if (info == nullptr) return "unknown";
  std::string model, family, sets;
  char line[4096];
  while (std::fgets(line, sizeof line, info) != nullptr && (model.empty() || family.empty() || sets.empty())) {
    std::string text(line);
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) continue;
    const std::string key = text.substr(0, text.find_first_of(" \t")), value = text.substr(colon + 2);
    if (key == "model" && text.compare(0, 10, "model name") == 0 && model.empty()) model = value.substr(0, value.size() - 1);
    if (key == "cpu" && text.compare(0, 10, "cpu family") == 0 && family.empty()) family = value.substr(0, value.size() - 1);
    if (key == "flags" && sets.empty()) {
      for (const char* flag : {"avx2", "avx512f", "avx512bw", "avx512vl", "avx512vbmi", "avx512_vbmi2"})
        if ((" " + value).find(std::string(" ") + flag + " ") != std::string::npos ||
            (" " + value).find(std::string(" ") + flag + "\n") != std::string::npos)
          sets += std::string(sets.empty() ? "" : " ") + flag;
    }
  }
  std::fclose(info);
  return model + " (family " + family + "; " + (sets.empty() ? "no AVX2" : sets) + ")";
}

// What the rows ran on, at the head of the output and in its JSON.
void SayLevels() {
  std::string levels;
  for (int l = 1; l <= static_cast<int>(HighestLevel()); ++l)
    if (recodo::kernels::Runs(static_cast<Level>(l)))
      levels += std::string(levels.empty() ? "" : " ") + recodo::kernels::LevelName(static_cast<Level>(l));
  const char* pinned = std::getenv("RECODO_KERNELS");
  std::string said = levels + " (a row each; the program itself runs " +
                     recodo::kernels::LevelName(HighestLevel()) + (pinned ? ", pinned by RECODO_KERNELS)" : ")");
  std::fprintf(stderr, "processor: %s\nkernel levels: %s\n", Processor().c_str(), said.c_str());
  benchmark::AddCustomContext("kernel_levels", levels);
  benchmark::AddCustomContext("processor", Processor());
  benchmark::AddCustomContext("kernel_level_in_use", recodo::kernels::LevelName(HighestLevel()));
}

struct Row {
  std::string function;
  const Corpus* corpus;
  const Input* input;
};

// The implementations of one row: recodo at each level, and its peers.
template <typename Recodo, typename Icu, typename Iconv>
void RegisterRow(const Row& row, Recodo recodo, Icu icu, Iconv iconvCall, bool withIcu, bool withIconv) {
  for (bool pieces : {false, true}) {
    const std::string tag = row.function + "/" + bench::ScriptName(row.corpus->script) + "/" +
                            (pieces ? "100B" : "16MiB") + "/";
    for (int l = 0; l <= static_cast<int>(HighestLevel()); ++l) {
      const auto level = static_cast<Level>(l);
      if (level == Level::Portable || !recodo::kernels::Runs(level)) continue;
      Register(tag + "recodo-" + recodo::kernels::LevelName(level), *row.input, pieces, level, true, recodo);
    }
    if (withIcu) Register(tag + "icu", *row.input, pieces, Level::Portable, false, icu);
    if (withIconv) Register(tag + "iconv", *row.input, pieces, Level::Portable, false, iconvCall);
    Register(tag + "memcpy", *row.input, pieces, Level::Portable, false,
             [](const std::uint8_t* src, std::uint32_t bytes, std::uint8_t* out) { std::memcpy(out, src, bytes); });
  }
}

const auto kNoPeer = [](const std::uint8_t*, std::uint32_t, std::uint8_t*) {};

void RegisterCorpus(const Corpus& c) {
  RegisterRow(
      {"utf8_to_utf16", &c, &c.utf8Input},
      [](const std::uint8_t* src, std::uint32_t bytes, std::uint8_t* out) {
        std::uint32_t length = 0;
        ConvertUtf8ToDoubleByte(src, bytes, nullptr, &length);
        benchmark::DoNotOptimize(ConvertUtf8ToDoubleByte(src, bytes, reinterpret_cast<std::uint16_t*>(out), &length));
      },
      [](const std::uint8_t* src, std::uint32_t bytes, std::uint8_t* out) {
        UErrorCode status = U_ZERO_ERROR;
        int32_t length = 0;
        u_strFromUTF8(reinterpret_cast<UChar*>(out), static_cast<int32_t>(bytes) + 8, &length,
                      reinterpret_cast<const char*>(src), static_cast<int32_t>(bytes), &status);
        benchmark::DoNotOptimize(length);
      },
      IconvCall("UTF-16LE", "UTF-8"), true, true);

  RegisterRow(
      {"utf16_to_utf8", &c, &c.utf16Input},
      [](const std::uint8_t* src, std::uint32_t bytes, std::uint8_t* out) {
        const auto* units = reinterpret_cast<const std::uint16_t*>(src);
        std::uint32_t size = 0;
        ConvertDoubleByteToUtf8(units, bytes, nullptr, &size);
        if (size != 0) benchmark::DoNotOptimize(ConvertDoubleByteToUtf8(units, bytes, out, &size));
      },
      [](const std::uint8_t* src, std::uint32_t bytes, std::uint8_t* out) {
        UErrorCode status = U_ZERO_ERROR;
        int32_t length = 0;
        u_strToUTF8(reinterpret_cast<char*>(out), static_cast<int32_t>(bytes) * 2 + 8, &length,
                    reinterpret_cast<const UChar*>(src), static_cast<int32_t>(bytes / 2), &status);
        benchmark::DoNotOptimize(length);
      },
      IconvCall("UTF-8", "UTF-16LE"), true, true);

  UConverter* be = OpenIcu("UTF-16BE");
  RegisterRow(
      {"utf16_swap", &c, &c.utf16Input},
      [](const std::uint8_t* src, std::uint32_t bytes, std::uint8_t* out) {
        // In place, as callers use it: the scratch buffer holds a copy.
        (void)src;
        benchmark::DoNotOptimize(TransformEndianess(reinterpret_cast<std::uint16_t*>(out), bytes));
      },
      [be](const std::uint8_t* src, std::uint32_t bytes, std::uint8_t* out) {
        UErrorCode status = U_ZERO_ERROR;
        benchmark::DoNotOptimize(ucnv_fromUChars(be, reinterpret_cast<char*>(out), static_cast<int32_t>(bytes) + 8,
                                                 reinterpret_cast<const UChar*>(src),
                                                 static_cast<int32_t>(bytes / 2), &status));
      },
      IconvCall("UTF-16BE", "UTF-16LE"), true, true);

  RegisterRow(
      {"newline_unix", &c, &c.utf16Input},
      [](const std::uint8_t* src, std::uint32_t bytes, std::uint8_t* out) {
        const auto* units = reinterpret_cast<const std::uint16_t*>(src);
        std::uint32_t length = 0;
        TransformNewLineCharacter(2, units, bytes, nullptr, &length);
        benchmark::DoNotOptimize(
            TransformNewLineCharacter(2, units, bytes, reinterpret_cast<std::uint16_t*>(out), &length));
      },
      kNoPeer, kNoPeer, false, false);

  RegisterRow(
      {"detect", &c, &c.utf8Input},
      [](const std::uint8_t* src, std::uint32_t bytes, std::uint8_t*) {
        benchmark::DoNotOptimize(DetectCharacterSet(src, bytes));
      },
      kNoPeer, kNoPeer, false, false);

  if (c.charset < 0) return;
  UConverter* sbcs = OpenIcu(c.icuName);
  const int charset = c.charset;
  RegisterRow(
      {"single_to_utf16", &c, &c.singleInput},
      [charset](const std::uint8_t* src, std::uint32_t bytes, std::uint8_t* out) {
        std::uint32_t capacity = 0;
        ConvertSingleByteToDoubleByte(charset, src, bytes, nullptr, &capacity);
        benchmark::DoNotOptimize(
            ConvertSingleByteToDoubleByte(charset, src, bytes, reinterpret_cast<std::uint16_t*>(out), &capacity));
      },
      [sbcs](const std::uint8_t* src, std::uint32_t bytes, std::uint8_t* out) {
        UErrorCode status = U_ZERO_ERROR;
        benchmark::DoNotOptimize(ucnv_toUChars(sbcs, reinterpret_cast<UChar*>(out), static_cast<int32_t>(bytes) + 8,
                                               reinterpret_cast<const char*>(src), static_cast<int32_t>(bytes),
                                               &status));
      },
      IconvCall("UTF-16LE", c.iconvName), true, true);

  RegisterRow(
      {"utf16_to_single", &c, &c.utf16Input},
      [charset](const std::uint8_t* src, std::uint32_t bytes, std::uint8_t* out) {
        const auto* units = reinterpret_cast<const std::uint16_t*>(src);
        std::uint32_t capacity = 0;
        ConvertDoubleByteToSingleByte(charset, units, bytes, nullptr, &capacity);
        benchmark::DoNotOptimize(ConvertDoubleByteToSingleByte(charset, units, bytes, out, &capacity));
      },
      [sbcs](const std::uint8_t* src, std::uint32_t bytes, std::uint8_t* out) {
        UErrorCode status = U_ZERO_ERROR;
        benchmark::DoNotOptimize(ucnv_fromUChars(sbcs, reinterpret_cast<char*>(out), static_cast<int32_t>(bytes) + 8,
                                                 reinterpret_cast<const UChar*>(src),
                                                 static_cast<int32_t>(bytes / 2), &status));
      },
      IconvCall(c.iconvName, "UTF-16LE"), true, true);
}

// A set added since the first ones, on text of its language, both ways
// through the two functions that take every set.
struct AddedSet {
  int code;
  const char* name;
  Script script;
  const char* icuName;
  const char* iconvName;
};

// Pieces of whole lines, so that no call starts inside a character or, in
// ISO-2022-JP, outside ASCII.
std::vector<std::size_t> LinePieceEnds(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::size_t> ends;
  std::size_t start = 0, lastBreak = 0;
  for (std::size_t i = 0; i < bytes.size() && ends.size() < kPieces; ++i) {
    if (bytes[i] != '\n') continue;
    if (i + 1 - start > kPieceBytes && lastBreak > start) {
      ends.push_back(lastBreak);
      start = lastBreak;
    }
    lastBreak = i + 1;
  }
  return ends;
}

void RegisterAddedSet(const AddedSet& set) {
  auto* c = new Corpus;
  c->script = set.script;
  c->utf8 = bench::MakeUtf8Text(set.script, kWholeBytes);
  c->utf16 = bench::ToUtf16(c->utf8);
  const auto units = static_cast<std::uint32_t>(c->utf16.size() * 2);
  std::uint32_t length = 0;
  ConvertDoubleByteToMultiByte(set.code, c->utf16.data(), units, nullptr, &length);
  c->single.resize(length);
  ConvertDoubleByteToMultiByte(set.code, c->utf16.data(), units, c->single.data(), &length);
  c->singleInput = {c->single.data(), c->single.size(), LinePieceEnds(c->single)};
  std::vector<std::size_t> unitEnds;
  for (std::size_t i = 0; i < c->utf16.size() && unitEnds.size() < kPieces; ++i)
    if (c->utf16[i] == '\n') unitEnds.push_back(i + 1);
  // Pieces of about 100 bytes of the encoded text: whole lines of units.
  std::vector<std::size_t> ends;
  std::size_t start = 0, last = 0;
  for (std::size_t end : unitEnds) {
    if ((end - start) * 2 > kPieceBytes * 2 && last > start) {
      ends.push_back(last * 2);
      start = last;
    }
    last = end;
  }
  c->utf16Input = {reinterpret_cast<const std::uint8_t*>(c->utf16.data()), c->utf16.size() * 2, ends};
  UConverter* icu = OpenIcu(set.icuName);
  const int code = set.code;
  const std::string name = set.name;
  RegisterRow(
      {name + "_to_utf16", c, &c->singleInput},
      [code](const std::uint8_t* src, std::uint32_t bytes, std::uint8_t* out) {
        std::uint32_t capacity = 0;
        ConvertMultiByteToDoubleByte(code, src, bytes, nullptr, &capacity);
        benchmark::DoNotOptimize(
            ConvertMultiByteToDoubleByte(code, src, bytes, reinterpret_cast<std::uint16_t*>(out), &capacity));
      },
      [icu](const std::uint8_t* src, std::uint32_t bytes, std::uint8_t* out) {
        UErrorCode status = U_ZERO_ERROR;
        benchmark::DoNotOptimize(ucnv_toUChars(icu, reinterpret_cast<UChar*>(out), static_cast<int32_t>(bytes) + 8,
                                               reinterpret_cast<const char*>(src), static_cast<int32_t>(bytes),
                                               &status));
      },
      IconvCall("UTF-16LE", set.iconvName), true, true);
  RegisterRow(
      {"utf16_to_" + name, c, &c->utf16Input},
      [code](const std::uint8_t* src, std::uint32_t bytes, std::uint8_t* out) {
        const auto* in = reinterpret_cast<const std::uint16_t*>(src);
        std::uint32_t capacity = 0;
        ConvertDoubleByteToMultiByte(code, in, bytes, nullptr, &capacity);
        benchmark::DoNotOptimize(ConvertDoubleByteToMultiByte(code, in, bytes, out, &capacity));
      },
      [icu](const std::uint8_t* src, std::uint32_t bytes, std::uint8_t* out) {
        UErrorCode status = U_ZERO_ERROR;
        benchmark::DoNotOptimize(ucnv_fromUChars(icu, reinterpret_cast<char*>(out), static_cast<int32_t>(bytes) * 2 + 8,
                                                 reinterpret_cast<const UChar*>(src),
                                                 static_cast<int32_t>(bytes / 2), &status));
      },
      IconvCall(set.iconvName, "UTF-16LE"), true, true);
}

const AddedSet kAddedSets[] = {
    {RECODO_CHARSET_KOI8_R, "koi8r", Script::Russian, "KOI8-R", "KOI8-R"},
    {RECODO_CHARSET_SHIFT_JIS, "shiftjis", Script::Japanese, "windows-31j", "CP932"},
    {RECODO_CHARSET_EUC_JP, "eucjp", Script::Japanese, "EUC-JP", "EUC-JP"},
    {RECODO_CHARSET_ISO_2022_JP, "iso2022jp", Script::Japanese, "ISO-2022-JP", "ISO-2022-JP"},
    {RECODO_CHARSET_GBK, "gbk", Script::Chinese, "windows-936-2000", "CP936"},
    {RECODO_CHARSET_GB18030, "gb18030", Script::Chinese, "gb18030", "GB18030"},
    {RECODO_CHARSET_BIG5, "big5", Script::Traditional, "windows-950-2000", "CP950"},
    {RECODO_CHARSET_EUC_KR, "euckr", Script::Korean, "windows-949-2000", "CP949"},
};

}  // namespace

int main(int argc, char** argv) {
  for (Script script : {Script::English, Script::French, Script::Russian, Script::Chinese, Script::Emoji})
    RegisterCorpus(*MakeCorpus(script));
  for (const AddedSet& set : kAddedSets) RegisterAddedSet(set);
  benchmark::Initialize(&argc, argv);
  SayLevels();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
