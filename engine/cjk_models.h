// How often the East Asian languages use each character: which of the sets
// that pair a text's bytes alike reads them as that language.
#pragma once

#include <cstdint>

namespace recodo::guess {

struct CjkModel {
  const char* name;
  const char* tag;  // BCP 47
  std::int16_t home;  // the set the language is written in most
  std::uint16_t count;
  const std::uint16_t* units;  // the most used characters beyond ASCII, ascending
  const std::uint8_t* costs;   // -log2 P(character) in 1/8 bit, for each
  std::uint8_t rareCost;       // for any other character
};

// Built in code, as the single-byte models are (language_models.h).
CjkModel CjkLanguageOf(int language);
extern const int kCjkLanguageCount;

}  // namespace recodo::guess
