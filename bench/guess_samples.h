// The labelled samples of the guess benchmark (bench/make_guess_samples.py),
// read by the benchmark and by the test of the guess's confidence.
//
// The file: "RGSAMPL2", a u32 length and a header of lines ("languages en fr
// ...", "sizes 64 256 1024 16384", the sources read), then records of u32
// length, u8 set, u8 language, u8 size class, u8 half (0 tuned, 1 held
// out) and the bytes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine.h"

namespace recodo::guess_samples {

constexpr int kMaxSizes = 4;

struct Sample {
  int set, language, size, half;
  std::vector<std::uint8_t> bytes;
};

struct SampleFile {
  std::vector<std::string> languages;
  std::vector<std::string> sizes;  // "64", "256", ...
  std::vector<Sample> samples;
};

inline bool ReadSamples(const char* path, SampleFile* file) {
  std::ifstream in(path, std::ios::binary);
  char magic[8];
  unsigned char count[4];
  if (!in.read(magic, 8) || std::memcmp(magic, "RGSAMPL2", 8) != 0 || !in.read(reinterpret_cast<char*>(count), 4))
    return false;
  std::string header(count[0] | count[1] << 8 | count[2] << 16 | std::size_t(count[3]) << 24, '\0');
  if (!in.read(header.data(), std::streamsize(header.size()))) return false;
  std::istringstream lines(header);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string key, word;
    words >> key;
    if (key == "languages")
      while (words >> word) file->languages.push_back(word);
    if (key == "sizes")
      while (words >> word) file->sizes.push_back(word);
  }
  for (;;) {
    unsigned char head[8];
    if (!in.read(reinterpret_cast<char*>(head), 8)) break;
    const std::uint32_t length = head[0] | head[1] << 8 | head[2] << 16 | std::uint32_t(head[3]) << 24;
    Sample s{head[4], head[5], head[6], head[7], std::vector<std::uint8_t>(length)};
    if (!in.read(reinterpret_cast<char*>(s.bytes.data()), length)) return false;
    if (s.size >= kMaxSizes || s.size >= int(file->sizes.size()) || s.language >= int(file->languages.size()) ||
        s.half > 1)
      return false;
    file->samples.push_back(std::move(s));
  }
  return in.eof() && !file->samples.empty();
}

// The characters the bytes read as through `set`, and how many of them
// stand for bytes the set does not read (U+FFFD, or U+FFFF for an undefined
// byte); false for a code that names no set a text is read in.
inline bool Decode(int set, const std::vector<std::uint8_t>& bytes, std::vector<std::uint16_t>* units,
            std::uint64_t* substitutions) {
  const std::span<const std::uint8_t> span(bytes);
  units->assign(bytes.size() + 1, 0);
  *substitutions = 0;
  if (IsAnySingleByteCharset(set)) {
    engine::DecodeSingleByte(set, span, units->data());
    units->resize(bytes.size());
    *substitutions = std::count(units->begin(), units->end(), UndefinedUnit);
  } else if (set == CharsetUtf8) {
    engine::Utf8Decoding progress;
    engine::DecodeUtf8(span, true, units->data(), &progress);
    units->resize(progress.units);
    *substitutions = progress.substitutions;
  } else if (IsUtf16Charset(set)) {
    const bool big = set == CharsetUtf16BE;
    units->resize(bytes.size() / 2);
    for (std::size_t i = 0; i < units->size(); ++i)
      (*units)[i] = big ? bytes[2 * i] << 8 | bytes[2 * i + 1] : bytes[2 * i] | bytes[2 * i + 1] << 8;
    if (bytes.size() % 2) {
      units->push_back(ReplacementCharacter);
      ++*substitutions;
    }
  } else if (engine::IsMultiByteSet(set)) {
    engine::TextDecoding progress;
    engine::DecodeMultiByte(set, span, true, units->data(), &progress);
    units->resize(progress.units);
    *substitutions = progress.substitutions;
  } else {
    units->clear();
    return false;
  }
  return true;
}

inline std::string Name(int set) {
  std::string out;
  if (const char16_t* n = engine::SetName(set))
    for (; *n; ++n) out += char(*n);
  else
    out = set == CharsetCount ? "none" : std::to_string(set);
  return out;
}

}  // namespace recodo::guess_samples
