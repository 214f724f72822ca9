// Accuracy of the character-set guess (GuessCharacterSet, as a conversion
// with /guess reads a file) on labelled samples made by
// bench/make_guess_samples.py, for the tuned and the held-out half of the
// samples apart: by size and kind of set, per set, the worst confusions, how
// far its confidence can be trusted, and uchardet on the sets it names. Then
// the guess's cost against converting 1 MiB, interleaved in one run.
//
// Usage: guess_accuracy SAMPLES [--half=tuned|heldout|both] [--show N [--confident | --size=0..3]]
#include <uchardet/uchardet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "convert/convert_file.h"
#include "engine/engine.h"
#include "engine/guess.h"
#include "guess_samples.h"
#include "recodo/recodo.h"

using namespace recodo;
using namespace recodo::guess_samples;

namespace {

const char* kHalfNames[] = {"tuned", "held-out"};

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
      {"UTF8", CharsetUtf8}, {"UTF16LE", CharsetUtf16}, {"UTF16BE", CharsetUtf16BE}, {"UTF32LE", CharsetUtf32},
      {"UTF32BE", CharsetUtf32BE}, {"KOI8R", CharsetKoi8R}, {"KOI8U", CharsetKoi8U}, {"ISO885916", CharsetIso8859_16},
      {"SHIFTJIS", CharsetShiftJis}, {"CP932", CharsetShiftJis}, {"WINDOWS31J", CharsetShiftJis},
      {"EUCJP", CharsetEucJp}, {"ISO2022JP", CharsetIso2022Jp}, {"GBK", CharsetGbk}, {"CP936", CharsetGbk},
      {"GB18030", CharsetGb18030}, {"BIG5", CharsetBig5}, {"CP950", CharsetBig5}, {"EUCKR", CharsetEucKr},
      {"UHC", CharsetEucKr}, {"CP949", CharsetEucKr},
  };
  const auto found = names.find(Squash(name));
  return found == names.end() ? -1 : found->second;
}

struct Tally {
  long right = 0, total = 0;
  void Add(bool ok) { right += ok; ++total; }
  double Percent() const { return total ? 100.0 * right / total : 0; }
};

std::string Cell(const Tally& t) {
  if (t.total == 0) return "-";
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.1f %% of %ld", t.Percent(), t.total);
  return buffer;
}

// The kinds of set the tables are split by.
enum Group { kFirstSingleByte, kAddedSingleByte, kEastAsian, kUtf32, kGroups };
const char* kGroupNames[] = {"49 single-byte", "KOI8-R, KOI8-U, ISO-8859-16", "East Asian", "UTF-32, UTF-32BE"};
int GroupOf(int set) {
  if (IsSingleByteCharset(set)) return kFirstSingleByte;
  if (IsAnySingleByteCharset(set)) return kAddedSingleByte;
  if (IsEastAsianCharset(set)) return kEastAsian;
  return kUtf32;
}

// Confidence bands of the calibration table.
const int kBandFloors[] = {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 95, 99};
const char* kBandNames[] = {"0-9",   "10-19", "20-29", "30-39", "40-49", "50-59",
                            "60-69", "70-79", "80-89", "90-94", "95-98", "99-100"};
constexpr int kBands = 12;
int BandOf(int confidence) {
  int band = 0;
  while (band + 1 < kBands && confidence >= kBandFloors[band + 1]) ++band;
  return band;
}

struct Judged {
  int guess = CharsetCount, confidence = 0, theirs = -1;
  bool right = false, theirsRight = false, clean = true;
};

void PutUtf8(unsigned c) {
  if (c == '\n' || c == '\r' || c == '\t') std::putchar(' ');
  else if (c < 0x80) std::putchar(int(c));
  else if (c < 0x800) std::printf("%c%c", 0xC0 | c >> 6, 0x80 | (c & 63));
  else std::printf("%c%c%c", 0xE0 | c >> 12, 0x80 | (c >> 6 & 63), 0x80 | (c & 63));
}

void Report(const SampleFile& file, const std::vector<Judged>& judged, int half, const bool* uchardetSets) {
  const int sizes = int(file.sizes.size());
  Tally bySize[kMaxSizes], byGroup[kMaxSizes][kGroups], known[kMaxSizes], knownTheirs[kMaxSizes], always1252[kMaxSizes];
  Tally bands[kBands], sure[kMaxSizes];
  std::map<int, Tally> perSet[kMaxSizes];
  std::map<std::pair<int, int>, long> confused;
  long count = 0, unclean = 0;
  std::vector<std::uint16_t> units, fallback;
  std::uint64_t substitutions = 0;
  for (std::size_t i = 0; i < file.samples.size(); ++i) {
    const Sample& s = file.samples[i];
    const Judged& j = judged[i];
    if (s.half != half) continue;
    if (!j.clean) {
      ++unclean;
      continue;
    }
    ++count;
    bySize[s.size].Add(j.right);
    byGroup[s.size][GroupOf(s.set)].Add(j.right);
    perSet[s.size][s.set].Add(j.right);
    bands[BandOf(j.confidence)].Add(j.right);
    if (j.confidence >= kHighGuessConfidence) sure[s.size].Add(j.right);
    if (uchardetSets[s.set]) {
      known[s.size].Add(j.right);
      knownTheirs[s.size].Add(j.theirsRight);
    }
    Decode(s.set, s.bytes, &units, &substitutions);
    Decode(CharsetWindows1252, s.bytes, &fallback, &substitutions);
    always1252[s.size].Add(units == fallback);
    if (!j.right && s.size >= 1) ++confused[{s.set, j.guess}];
  }
  if (count == 0 && unclean == 0) {
    std::printf("\n## The %s half: no samples in this file\n", kHalfNames[half]);
    return;
  }
  std::printf("\n## The %s half: %ld samples", kHalfNames[half], count);
  if (unclean) std::printf(" (%ld more left out: their own set does not read them cleanly)", unclean);
  std::printf("\n\nRight guesses by size and kind of set:\n\n| size | all sets |");
  for (const char* name : kGroupNames) std::printf(" %s |", name);
  std::printf("\n|---|---|---|---|---|---|\n");
  for (int z = 0; z < sizes; ++z) {
    std::printf("| %s B | %s |", file.sizes[z].c_str(), Cell(bySize[z]).c_str());
    for (int g = 0; g < kGroups; ++g) std::printf(" %s |", Cell(byGroup[z][g]).c_str());
    std::printf("\n");
  }

  // The sets short of 97 % at 256 bytes or of 99 % at 1 KiB.
  if (sizes > 2) {
    std::printf("\nSets below 97 %% at 256 B or below 99 %% at 1 KiB:\n\n| set | 256 B | 1 KiB |\n|---|---|---|\n");
    std::map<int, bool> sets;
    for (int z = 1; z <= 2; ++z)
      for (const auto& [set, tally] : perSet[z]) sets[set] = true;
    for (const auto& [set, unused] : sets) {
      const Tally& small = perSet[1][set];
      const Tally& large = perSet[2][set];
      if ((small.total && small.Percent() < 97) || (large.total && large.Percent() < 99))
        std::printf("| %s | %s | %s |\n", Name(set).c_str(), Cell(small).c_str(), Cell(large).c_str());
    }
  }
  std::vector<std::pair<long, std::pair<int, int>>> worst;
  for (const auto& [pair, n] : confused) worst.push_back({n, pair});
  std::sort(worst.rbegin(), worst.rend());
  std::printf("\nWorst confusions at 256 B and above (true -> guessed: samples):");
  for (std::size_t i = 0; i < worst.size() && i < 16; ++i)
    std::printf("%s %s -> %s: %ld", i % 4 ? ";" : "\n ", Name(worst[i].second.first).c_str(),
                Name(worst[i].second.second).c_str(), worst[i].first);
  std::printf("\n");

  std::printf("\nCalibration, all sizes:\n\n| confidence | guesses | right | share right |\n|---|---:|---:|---:|\n");
  for (int b = 0; b < kBands; ++b) {
    std::printf("| %s | %ld | %ld |", kBandNames[b], bands[b].total, bands[b].right);
    if (bands[b].total) std::printf(" %.1f %% |\n", bands[b].Percent());
    else std::printf(" - |\n");
  }
  std::printf("\nRight among guesses at confidence >= %d, by size:", kHighGuessConfidence);
  for (int z = 0; z < sizes; ++z) std::printf("  %s B: %s;", file.sizes[z].c_str(), Cell(sure[z]).c_str());
  std::printf("\n");

  std::printf("\nOn the sets uchardet named in this run:\n\n"
              "| size | recodo | uchardet | always Windows-1252, all sets |\n|---|---|---|---|\n");
  for (int z = 0; z < sizes; ++z)
    std::printf("| %s B | %s | %s | %s |\n", file.sizes[z].c_str(), Cell(known[z]).c_str(),
                Cell(knownTheirs[z]).c_str(), Cell(always1252[z]).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const char* path = nullptr;
  bool halves[2] = {true, true};
  int show = 0;
  bool confidentOnly = false;  // --show the wrong guesses at 90 or more, of any size
  int showSize = 2;            // else those of this size class (0: 64 B .. 3: 16 KiB)
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--half=tuned") == 0) halves[1] = false;
    else if (std::strcmp(argv[i], "--half=heldout") == 0) halves[0] = false;
    else if (std::strcmp(argv[i], "--half=both") == 0) halves[0] = halves[1] = true;
    else if (std::strcmp(argv[i], "--show") == 0 && i + 1 < argc) show = std::atoi(argv[++i]);
    else if (std::strcmp(argv[i], "--confident") == 0) confidentOnly = true;
    else if (std::strncmp(argv[i], "--size=", 7) == 0) showSize = std::atoi(argv[i] + 7);
    else if (!path && argv[i][0] != '-') path = argv[i];
    else path = nullptr, i = argc;
  }
  SampleFile file;
  if (!path) {
    std::fprintf(stderr, "usage: %s SAMPLES [--half=tuned|heldout|both] [--show N [--confident | --size=0..3]]\n", argv[0]);
    return 2;
  }
  if (!ReadSamples(path, &file)) {
    std::fprintf(stderr, "%s: no samples, or not a file of bench/make_guess_samples.py\n", path);
    return 2;
  }
  long inHalf[2] = {};
  for (const Sample& s : file.samples) ++inHalf[s.half];
  std::printf("%zu samples (%ld tuned, %ld held out), %zu languages\n", file.samples.size(), inHalf[0], inHalf[1],
              file.languages.size());

  uchardet_t ud = uchardet_new();
  std::vector<Judged> judged(file.samples.size());
  bool uchardetSets[256] = {};
  double ourSeconds = 0, theirSeconds = 0;
  std::vector<std::uint16_t> truth, read;
  std::uint64_t substitutions = 0, ignored = 0;
  for (std::size_t i = 0; i < file.samples.size(); ++i) {
    const Sample& s = file.samples[i];
    if (!halves[s.half]) continue;
    Judged& j = judged[i];
    auto t0 = std::chrono::steady_clock::now();
    std::int32_t confidence = 0;
    j.guess = GuessCharacterSet(s.bytes.data(), std::uint32_t(s.bytes.size()), &confidence);
    j.confidence = confidence;
    auto t1 = std::chrono::steady_clock::now();
    uchardet_reset(ud);
    uchardet_handle_data(ud, reinterpret_cast<const char*>(s.bytes.data()), s.bytes.size());
    uchardet_data_end(ud);
    const char* theirName = uchardet_get_charset(ud);
    j.theirs = FromUchardet(theirName);
    auto t2 = std::chrono::steady_clock::now();
    ourSeconds += std::chrono::duration<double>(t1 - t0).count();
    theirSeconds += std::chrono::duration<double>(t2 - t1).count();
    if (j.theirs >= 0 && Squash(theirName) != "ASCII") uchardetSets[j.theirs] = true;
    // Right is reading as the same characters as the true set does.
    Decode(s.set, s.bytes, &truth, &substitutions);
    j.clean = substitutions == 0;
    j.right = Decode(j.guess, s.bytes, &read, &ignored) && read == truth;
    j.theirsRight = j.theirs >= 0 && Decode(j.theirs, s.bytes, &read, &ignored) && read == truth;
  }
  uchardet_delete(ud);
  std::printf("uchardet named:");
  for (int set = 0; set < 256; ++set)
    if (uchardetSets[set]) std::printf(" %s", Name(set).c_str());
  std::printf("\n");

  for (int half = 0; half < 2; ++half)
    if (halves[half]) Report(file, judged, half, uchardetSets);

  // Optionally the first wrong samples of 1 KiB, read through the true set
  // with the guessed set's reading in braces where it differs, to see why.
  for (std::size_t i = 0; i < file.samples.size() && show > 0; ++i) {
    const Sample& s = file.samples[i];
    const Judged& j = judged[i];
    if (!halves[s.half] || j.right || !j.clean) continue;
    if (confidentOnly ? j.confidence < 90 : s.size != showSize) continue;
    --show;
    std::printf("\n[%s, %s half, in %s, guessed %s at %d] ", file.languages[s.language].c_str(),
                kHalfNames[s.half], Name(s.set).c_str(), Name(j.guess).c_str(), j.confidence);
    Decode(s.set, s.bytes, &truth, &substitutions);
    const bool readable = Decode(j.guess, s.bytes, &read, &ignored);
    const bool aligned = readable && read.size() == truth.size();
    for (std::size_t k = 0; k < truth.size(); ++k) {
      PutUtf8(truth[k]);
      if (aligned && read[k] != truth[k]) {
        std::putchar('{');
        PutUtf8(read[k]);
        std::putchar('}');
      }
    }
    if (readable && !aligned) {
      std::printf("\n  read as: ");
      for (std::size_t k = 0; k < read.size() && k < 400; ++k) PutUtf8(read[k]);
    }
    std::printf("\n");
  }
  std::printf("\nTime over the samples judged: recodo %.3f s, uchardet %.3f s\n", ourSeconds, theirSeconds);

  // Cost, interleaved: the guess over its window, and the whole file road
  // with and without it, against converting the same 1 MiB file.
  std::vector<std::uint8_t> mib;
  const int largest = int(file.sizes.size()) - 1;
  for (const auto& s : file.samples)
    if (s.size == largest && s.set == 17) mib.insert(mib.end(), s.bytes.begin(), s.bytes.end());
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
  std::printf("\nBest of 30, Cyrillic text in Windows-1251 (%d):\n", sink & 1);
  std::printf("  guess over the 64 KiB window:            %.3f ms\n", guessTime * 1e3);
  std::printf("  detection of the 1 MiB file:              %.3f ms\n", detectFileTime * 1e3);
  std::printf("  detection and guess of the 1 MiB file:    %.3f ms\n", guessFileTime * 1e3);
  std::printf("  converting the 1 MiB file to UTF-8:       %.3f ms\n", convertTime * 1e3);
  std::printf("  guess / conversion: %.3f; what the guess adds to the file road / conversion: %.3f\n",
              guessTime / convertTime, (guessFileTime - detectFileTime) / convertTime);
  return 0;
}
