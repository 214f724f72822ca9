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

// Cuts the writable text (what follows the program's name) into items in
// place, by the rules every Windows program's arguments follow
// (CommandLineToArgvW): blanks separate items; double quotes group blanks
// into an item, wherever they stand in it, and are removed; 2n backslashes
// before a quote are n backslashes, 2n+1 are n and a literal quote; other
// backslashes are themselves. At most 100 items are read.
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
