// The file-type filters of the source and destination pickers, read from an
// optional filters.txt in the current directory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace recodo {

// The pickers' filter buffer, in UTF-16 units.
inline constexpr std::size_t kFilterBufferUnits = 1024;

// Reads and decodes filters.txt into the zero-filled destination, never past
// `capacityBytes` and always leaving a terminating NUL. False when the file
// cannot be opened; the destination is then untouched.
bool LoadFileFilters(char16_t* destination, std::size_t capacityBytes, const char16_t* path = u"filters.txt");

// Decodes the bytes of a filters file as LoadFileFilters does.
void DecodeFilterText(std::uint8_t* bytes, std::size_t size, char16_t* destination, std::size_t capacityBytes);

// Builds the picker filter list: the fields of the file (separated by "|" or
// line breaks), then "All files" and "*.*", each ending in a NUL, the whole
// ending in two NULs, whatever the file holds.
void BuildFilterBuffer(char16_t (&filters)[kFilterBufferUnits], const char16_t* path = u"filters.txt");

}  // namespace recodo
