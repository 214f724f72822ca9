#include "user_translation_table.h"

#include <cstring>
#include <memory>
#include <new>

#include "base/unit_text.h"
#include "platform/file_start.h"
#include "engine/engine.h"

namespace recodo {
namespace {

char16_t* CopyField(const char16_t* field) {
  const std::size_t n = UnitLength(field);
  char16_t* copy = new (std::nothrow) char16_t[n + 1];
  if (copy != nullptr) std::memcpy(copy, field, (n + 1) * 2);
  return copy;
}

bool IsSeparator(char16_t c) { return c == u'\t' || c == u';' || c == u','; }

// The whole file, however large (up to 4 GiB); null, with the system's
// reason, when it cannot be read.
std::unique_ptr<std::uint8_t[]> ReadAll(const char16_t* path, std::size_t* size, platform::ErrorCode* error) {
  std::unique_ptr<std::uint8_t[]> bytes;
  if (platform::ReadFileStart(path, 0xFFFFFFFFu, platform::Longer::Refuse, &bytes, size) != platform::FileStart::Read) {
    *error = platform::LastError();
    if (*error == 0) *error = platform::ShortReadError();
    return nullptr;
  }
  return bytes;  // only what was really read is text
}

}  // namespace

CUserTranslationTable::CUserTranslationTable(const char16_t* tablePath, char16_t* target) : targetPath(target) {
  LoadTable(tablePath);
}

CUserTranslationTable::~CUserTranslationTable() { Clear(); }

void CUserTranslationTable::Clear() {
  for (std::uint32_t i = 0; i < rowCount; ++i) {
    delete[] prefixes[i];
    delete[] accounts[i];
  }
  delete[] prefixes;
  delete[] accounts;
  prefixes = accounts = nullptr;
  rowCount = 0;
}

std::uint32_t CUserTranslationTable::CountLines(const char16_t* text) {
  std::uint32_t lines = 0;
  bool tail = false;  // characters after the last LF
  for (; *text != 0; ++text) {
    if (*text == u'\n') {
      ++lines;
      tail = false;
    } else {
      tail = true;
    }
  }
  return lines + (tail ? 1 : 0);
}

bool CUserTranslationTable::LoadTable(const char16_t* tablePath) {
  Clear();
  readError = 0;
  std::size_t size = 0;
  std::unique_ptr<std::uint8_t[]> bytes = ReadAll(tablePath, &size, &readError);
  if (!bytes) return true;

  // Two bytes decide: a UTF-16 mark in either order; else UTF-16 without a
  // mark when one of them is zero, as detection takes it (whole); else
  // UTF-8 from the start.
  const bool littleMark = size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
  const bool bigMark = size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF;
  const bool littleBare = !littleMark && !bigMark && size >= 2 && bytes[0] != 0 && bytes[1] == 0;
  const bool bigBare = !littleMark && !bigMark && size >= 2 && bytes[0] == 0 && bytes[1] != 0;
  const bool little = littleMark || littleBare, big = bigMark || bigBare;
  std::unique_ptr<std::uint16_t[]> text;
  std::size_t units = 0;
  if (little || big) {
    const std::size_t skip = littleMark || bigMark ? 2 : 0;
    units = (size - skip) / 2;
    text.reset(new (std::nothrow) std::uint16_t[units + 1]);
    if (!text) return true;
    std::memcpy(text.get(), bytes.get() + skip, units * 2);
    if (big) engine::SwapBytes({text.get(), units});
  } else {
    const std::span<const std::uint8_t> utf8(bytes.get(), size);
    text.reset(new (std::nothrow) std::uint16_t[engine::Utf8Units(utf8) + 1]);
    if (!text) return true;
    engine::Utf8Decoding decoded;
    engine::DecodeUtf8(utf8, true, text.get(), &decoded);
    units = decoded.units;
  }
  text[units] = 0;
  bytes.reset();

  // Every line break becomes one LF.
  const std::span<const std::uint16_t> whole(text.get(), units);
  std::unique_ptr<std::uint16_t[]> lines(new (std::nothrow) std::uint16_t[engine::LineBreakUnits(engine::kLineBreakLf, whole) + 1]);
  if (!lines) return true;
  lines[engine::RewriteLineBreaks(engine::kLineBreakLf, whole, lines.get())] = 0;
  text.reset();

  auto* cursor = reinterpret_cast<char16_t*>(lines.get());
  const std::uint32_t n = CountLines(cursor);
  prefixes = new (std::nothrow) char16_t*[n + 1]();
  accounts = new (std::nothrow) char16_t*[n + 1]();
  if (prefixes == nullptr || accounts == nullptr) {
    Clear();
    return true;
  }
  for (std::uint32_t i = 0; i < n; ++i) {
    char16_t* first = cursor;
    char16_t* second = cursor;
    while (*cursor != 0) {
      const char16_t c = *cursor;
      if (IsSeparator(c)) {
        *cursor++ = 0;
        second = cursor;
      } else if (c == u'\n') {
        *cursor++ = 0;
        break;
      } else {
        ++cursor;
      }
    }
    if (*first == 0) break;  // an empty first field ends the table
    char16_t* prefix = CopyField(first);
    char16_t* account = CopyField(second);
    if (prefix == nullptr || account == nullptr) {
      delete[] prefix;
      delete[] account;
      Clear();  // out of memory: an empty table, not a partial one
      return true;
    }
    prefixes[rowCount] = prefix;
    accounts[rowCount] = account;
    ++rowCount;
  }
  return true;
}

}  // namespace recodo
