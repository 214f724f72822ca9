// Accuracy of the character-set guess on labelled samples (made by
// bench/make_guess_samples.py), against uchardet on the sets it names and
// against always answering Windows-1252; then its cost against converting
// 1 MiB, interleaved in one run.
//
// Usage: guess_accuracy SAMPLES
#include <uchardet/uchardet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "convert/convert_file.h"
#include "engine/catalogue.h"
#include "engine/detector.h"
#include "engine/codepage_tables.generated.h"
#include "engine/guess.h"
#include "engine/language_models.h"
#include "recodo/recodo.h"

using namespace recodo;

namespace {

const char* kSizes[] = {"64 B", "256 B", "1 KiB", "16 KiB"};
const char* kScripts[] = {"no letters beyond ASCII", "Latin", "Greek", "Cyrillic", "Hebrew", "Arabic", "Thai"};

struct Sample {
  int set, language, size;
  std::vector<std::uint8_t> bytes;
};

// The script most of a sample's letters beyond ASCII are written in; 0 for none.
int ScriptOfSample(const Sample& s) {
  long counts[8] = {};
  for (std::uint8_t b : s.bytes) {
    if (b < 0x80) continue;
    const std::uint16_t flags = guess::kUnitFlags[guess::kUnitOfByte[s.set][b - 0x80]];
    if (flags & guess::kLetter) ++counts[guess::ScriptOf(flags)];
  }
  return int(std::max_element(counts + 1, counts + 8) - counts) * (*std::max_element(counts + 1, counts + 8) > 0);
}

bool ReadsAlike(int guess, int truth, const std::vector<std::uint8_t>& bytes) {
  if (!IsSingleByteCharset(guess)) return false;
  for (std::uint8_t b : bytes)
    if (b >= 0x80 && CodePageTable[guess][b - 0x80] != CodePageTable[truth][b - 0x80]) return false;
  return true;
}

std::string Squash(const char* name) {
  std::string s;
  for (const char* p = name; *p; ++p)
    if (*p != '-' && *p != '_') s += char(std::toupper(static_cast<unsigned char>(*p)));
  return s;
}

// uchardet's names for the sets of the catalogue; anything else is wrong.
int FromUchardet(const char* name) {
  static const std::map<std::string, int> names = {
      {"ASCII", 18},        {"ISO88591", 0},      {"ISO88592", 1},     {"ISO88593", 2},      {"ISO88594", 3},
      {"ISO88595", 4},      {"ISO88596", 5},      {"ISO88597", 6},     {"ISO88598", 7},      {"ISO88599", 8},
      {"ISO885910", 9},     {"ISO885911", 10},    {"TIS620", 10},      {"ISO885913", 12},    {"ISO885914", 13},
      {"ISO885915", 14},    {"WINDOWS874", 15},   {"WINDOWS1250", 16}, {"WINDOWS1251", 17},  {"WINDOWS1252", 18},
      {"WINDOWS1253", 19},  {"WINDOWS1254", 20},  {"WINDOWS1255", 21}, {"WINDOWS1256", 22},  {"WINDOWS1257", 23},
      {"WINDOWS1258", 24},  {"IBM437", 25},       {"IBM737", 26},      {"IBM775", 27},       {"IBM850", 28},
      {"IBM852", 29},       {"IBM855", 30},       {"IBM857", 31},      {"IBM860", 32},       {"IBM861", 33},
      {"IBM862", 34},       {"IBM863", 35},       {"IBM864", 36},      {"IBM865", 37},       {"IBM866", 38},
      {"IBM869", 39},       {"CP737", 26},        {"CP866", 38},       {"MACCYRILLIC", 41},  {"XMACCYRILLIC", 41},
      {"MACCENTRALEUROPE", 44}, {"MACROMAN", 45}, {"MACINTOSH", 45},
  };
  const auto found = names.find(Squash(name));
  return found == names.end() ? -1 : found->second;
}

struct Tally {
  long right = 0, total = 0;
  void Add(bool ok) { right += ok; ++total; }
  double Percent() const { return total ? 100.0 * right / total : 0; }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s SAMPLES\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::vector<Sample> samples;
  for (;;) {
    unsigned char head[7];
    if (!in.read(reinterpret_cast<char*>(head), 7)) break;
    const std::uint32_t length = head[0] | head[1] << 8 | head[2] << 16 | std::uint32_t(head[3]) << 24;
    Sample s{head[4], head[5], head[6], std::vector<std::uint8_t>(length)};
    in.read(reinterpret_cast<char*>(s.bytes.data()), length);
    samples.push_back(std::move(s));
  }
  std::printf("%zu samples\n", samples.size());

  uchardet_t ud = uchardet_new();
  std::vector<int> ours(samples.size()), theirs(samples.size());
  bool uchardetNames[CharsetCount] = {};
  double ourSeconds = 0, theirSeconds = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const auto& s = samples[i];
    auto t0 = std::chrono::steady_clock::now();
    ours[i] = GuessSingleByteSet(s.bytes.data(), s.bytes.size()).set;
    auto t1 = std::chrono::steady_clock::now();
    uchardet_reset(ud);
    uchardet_handle_data(ud, reinterpret_cast<const char*>(s.bytes.data()), s.bytes.size());
    uchardet_data_end(ud);
    theirs[i] = FromUchardet(uchardet_get_charset(ud));
    auto t2 = std::chrono::steady_clock::now();
    ourSeconds += std::chrono::duration<double>(t1 - t0).count();
    theirSeconds += std::chrono::duration<double>(t2 - t1).count();
    if (theirs[i] >= 0 && theirs[i] != 18) uchardetNames[theirs[i]] = true;
  }
  uchardet_delete(ud);
  // The sets uchardet knows: those it named (other than the ASCII default) in this run.
  std::printf("uchardet named:");
  for (int set = 0; set < CharsetCount; ++set) {
    if (!uchardetNames[set]) continue;
    const char16_t* n = engine::SetName(set);
    std::printf(" ");
    for (; *n; ++n) std::printf("%c", char(*n));
  }
  std::printf("\n\n");

  Tally all[4], fallback[4], known[4], knownTheirs[4];
  std::map<int, Tally> perScript[4];
  std::map<std::pair<int, int>, long> confused;
  std::map<std::pair<int, int>, long> scriptConfused[7];
  std::map<int, long> setTotals;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const auto& s = samples[i];
    const bool ok = ReadsAlike(ours[i], s.set, s.bytes);
    all[s.size].Add(ok);
    fallback[s.size].Add(ReadsAlike(CharsetWindows1252, s.set, s.bytes));
    perScript[s.size][ScriptOfSample(s)].Add(ok);
    if (uchardetNames[s.set]) {
      known[s.size].Add(ok);
      knownTheirs[s.size].Add(ReadsAlike(theirs[i], s.set, s.bytes));
    }
    if (!ok && s.size >= 1) ++confused[{s.set, ours[i]}];
    if (!ok) ++scriptConfused[ScriptOfSample(s)][{s.set, ours[i]}];
  }

  std::printf("| size | recodo, all sets | always Windows-1252 | recodo, uchardet's sets | uchardet, its sets | samples |\n");
  std::printf("|---|---|---|---|---|---|\n");
  for (int z = 0; z < 4; ++z)
    std::printf("| %s | %.1f %% | %.1f %% | %.1f %% | %.1f %% | %ld |\n", kSizes[z], all[z].Percent(),
                fallback[z].Percent(), known[z].Percent(), knownTheirs[z].Percent(), all[z].total);
  std::printf("\n| script |");
  for (int z = 0; z < 4; ++z) std::printf(" %s |", kSizes[z]);
  std::printf("\n|---|---|---|---|---|\n");
  for (int script = 0; script < 7; ++script) {
    std::printf("| %s |", kScripts[script]);
    for (int z = 0; z < 4; ++z) std::printf(" %.1f %% |", perScript[z][script].Percent());
    std::printf("\n");
  }
  std::vector<std::pair<long, std::pair<int, int>>> worst;
  for (const auto& [pair, n] : confused) worst.push_back({n, pair});
  std::sort(worst.rbegin(), worst.rend());
  std::printf("\nWorst confusions at 256 B and above (true -> guessed: samples):\n");
  for (std::size_t i = 0; i < worst.size() && i < 12; ++i) {
    const auto name = [](int set) {
      std::string out;
      if (const char16_t* n = engine::SetName(set))
        for (; *n; ++n) out += char(*n);
      return out;
    };
    std::printf("  %s -> %s: %ld\n", name(worst[i].second.first).c_str(), name(worst[i].second.second).c_str(),
                worst[i].first);
  }
  for (int script = 0; script < 7; ++script) {
    std::vector<std::pair<long, std::pair<int, int>>> top;
    for (const auto& [pair, n] : scriptConfused[script]) top.push_back({n, pair});
    std::sort(top.rbegin(), top.rend());
    std::printf("%s:", kScripts[script]);
    for (std::size_t i = 0; i < top.size() && i < 4; ++i)
      std::printf(" %d->%d: %ld;", top[i].second.first, top[i].second.second, top[i].first);
    std::printf("\n");
  }
  // Optionally the first wrong samples, read through the true set, to see why.
  int show = argc > 3 && std::strcmp(argv[2], "--show") == 0 ? std::atoi(argv[3]) : 0;
  for (std::size_t i = 0; i < samples.size() && show > 0; ++i) {
    const auto& s = samples[i];
    if (s.size != 1 || ReadsAlike(ours[i], s.set, s.bytes)) continue;
    --show;
    const CharsetGuess g = GuessSingleByteSet(s.bytes.data(), s.bytes.size());
    std::printf("\n[%s in %d, guessed %d as %s, %d%%] ", guess::kLanguages[s.language].name, s.set, g.set,
                engine::LanguageName(g.language), g.confidence);
    for (std::uint8_t b : s.bytes) {
      const unsigned u = b < 0x80 ? b : CodePageTable[s.set][b - 0x80];
      const unsigned v = b < 0x80 ? b : CodePageTable[g.set][b - 0x80];
      const auto put = [](unsigned c) {
        if (c < 0x80) std::putchar(c == '\n' ? ' ' : int(c));
        else if (c < 0x800) std::printf("%c%c", 0xC0 | c >> 6, 0x80 | (c & 63));
        else std::printf("%c%c%c", 0xE0 | c >> 12, 0x80 | (c >> 6 & 63), 0x80 | (c & 63));
      };
      put(u);
      if (u != v) { std::putchar('{'); put(v); std::putchar('}'); }
    }
    std::printf("\n");
  }
  std::printf("\nTime over all samples: recodo %.3f s, uchardet %.3f s\n", ourSeconds, theirSeconds);

  // Cost, interleaved: the guess over its window, and the whole file road
  // with and without it, against converting the same 1 MiB file.
  std::vector<std::uint8_t> mib;
  for (const auto& s : samples)
    if (s.size == 3 && s.set == 17) mib.insert(mib.end(), s.bytes.begin(), s.bytes.end());
  while (!mib.empty() && mib.size() < (1u << 20)) mib.insert(mib.end(), mib.begin(), mib.end());
  mib.resize(1u << 20);
  const std::string source = "/tmp/recodo-guess-bench.txt", destination = "/tmp/recodo-guess-bench.out";
  std::ofstream(source, std::ios::binary).write(reinterpret_cast<const char*>(mib.data()), std::streamsize(mib.size()));
  const std::u16string source16(source.begin(), source.end()), destination16(destination.begin(), destination.end());
  double guessTime = 1e9, guessFileTime = 1e9, detectFileTime = 1e9, convertTime = 1e9;
  int sink = 0;
  FileConverter converter;  // reused, as a run reuses it
  const auto seconds = [](auto t0, auto t1) { return std::chrono::duration<double>(t1 - t0).count(); };
  for (int round = 0; round < 30; ++round) {
    auto t0 = std::chrono::steady_clock::now();
    sink += GuessSingleByteSet(mib.data(), mib.size()).set;
    auto t1 = std::chrono::steady_clock::now();
    engine::Identification identified;
    platform::ErrorCode error = 0;
    sink += IdentifyFile(source16.c_str(), true, &identified, &error) ? identified.set : 0;
    auto t2 = std::chrono::steady_clock::now();
    sink += IdentifyFile(source16.c_str(), false, &identified, &error) ? identified.set : 0;
    auto t3 = std::chrono::steady_clock::now();
    ConversionOptions options;
    options.sourceChoice = SourceSetChoice::Given;
    options.sourceSet = 17;
    ConversionOutcome outcome;
    sink += converter.ConvertFile(source16.c_str(), destination16.c_str(), options, &outcome);
    auto t4 = std::chrono::steady_clock::now();
    guessTime = std::min(guessTime, seconds(t0, t1));
    guessFileTime = std::min(guessFileTime, seconds(t1, t2));
    detectFileTime = std::min(detectFileTime, seconds(t2, t3));
    convertTime = std::min(convertTime, seconds(t3, t4));
  }
  std::remove(source.c_str());
  std::remove(destination.c_str());
  std::printf("\nBest of 30, Russian text in Windows-1251 (%d):\n", sink & 1);
  std::printf("  guess over the 64 KiB window:            %.3f ms\n", guessTime * 1e3);
  std::printf("  detection of the 1 MiB file:              %.3f ms\n", detectFileTime * 1e3);
  std::printf("  detection and guess of the 1 MiB file:    %.3f ms\n", guessFileTime * 1e3);
  std::printf("  converting the 1 MiB file to UTF-8:       %.3f ms\n", convertTime * 1e3);
  std::printf("  guess / conversion: %.3f; what the guess adds to the file road / conversion: %.3f\n",
              guessTime / convertTime, (guessFileTime - detectFileTime) / convertTime);
  return 0;
}
