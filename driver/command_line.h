// Cutting the command line into items, and the option table.
#pragma once

#include <cstddef>

#include "settings.h"

namespace recodo {

inline constexpr int kMaxItems = 100;

struct CommandLineItems {
  char16_t* items[kMaxItems] = {};
  int count = 0;
};

// Cuts the writable text into items in place: items are separated by
// spaces; a value written ="..." keeps its quotes and spaces; a bare "..."
// keeps its spaces and loses its quotes. At most 100 items are read.
CommandLineItems SplitCommandLine(char16_t* text);

enum class OptionResult {
  Applied,
  Unknown,      // ignored without a message
  PathTooLong,  // the value would not fit its buffer; the setting is unchanged
};

// Applies one option item (anything after the source) to the settings.
OptionResult ApplyOption(Settings& settings, char16_t* item);

// Whether an item is written as an option ("/x", "-x", "--x"), so that one
// the table does not know deserves a word rather than silence.
bool LooksLikeOption(const char16_t* item);

// Removes a pair of double quotes that both begins and ends the text.
void UnquoteInPlace(char16_t* text);

}  // namespace recodo
