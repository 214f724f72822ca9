// The entries of the dialog's character-set lists, and what the dialog
// proposes as the destination of a picked source.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/paths.h"

namespace recodo {

// Every primary catalogue row as "name (description)" (the name alone
// without a description), then the three Unicode forms.
std::vector<std::u16string> CharsetListEntries();

// The name an entry stands for: its text before " (", or all of it.
std::u16string_view EntryName(std::u16string_view entry);

// The source's path with ".2" before its extension (notes.txt gives
// notes.2.txt, README gives README.2); empty when that would not fit the
// buffer or the extension is longer than 63 units.
void ProposeDestination(const char16_t* source, char16_t (&destination)[platform::kPathCapacity]);

}  // namespace recodo
