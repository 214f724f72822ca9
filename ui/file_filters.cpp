#include "file_filters.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "engine/engine.h"
#include "platform/file_start.h"

namespace recodo {
namespace {

constexpr std::size_t kWorkingUnits = 8192;
constexpr char16_t kAllFiles[] = u"All files|*.*|";
constexpr std::size_t kAllFilesUnits = sizeof kAllFiles / 2 - 1;
// No file holds filters for this many bytes; more is not read.
constexpr std::uint64_t kLargestRead = 4 * kWorkingUnits * 2;

std::size_t CopyUnitsUpToNul(const std::uint16_t* from, std::size_t count, char16_t* to, std::size_t room) {
  std::size_t n = 0;
  while (n < count && n < room && from[n] != 0) {
    to[n] = static_cast<char16_t>(from[n]);
    ++n;
  }
  return n;
}

}  // namespace

void DecodeFilterText(std::uint8_t* bytes, std::size_t size, char16_t* destination, std::size_t capacityBytes) {
  // One unit of the destination always stays free for the terminator.
  const std::size_t room = capacityBytes / 2 == 0 ? 0 : capacityBytes / 2 - 1;
  const std::span<const std::uint8_t> text(bytes, size);
  auto* units = reinterpret_cast<std::uint16_t*>(destination);
  switch (engine::DetectCharacterSet(text)) {
    case CharsetUtf16BE:
    case CharsetUtf16: {
      // The bytes may lie at any address; copy them out unit by unit.
      std::unique_ptr<std::uint16_t[]> aligned(new (std::nothrow) std::uint16_t[size / 2 + 1]);
      if (!aligned) return;
      std::memcpy(aligned.get(), bytes, size & ~std::size_t(1));
      if (engine::DetectCharacterSet(text) == CharsetUtf16BE) engine::SwapBytes({aligned.get(), size / 2});
      CopyUnitsUpToNul(aligned.get(), size / 2, destination, room);
      return;
    }
    case CharsetUtf8: {
      // Decoded whole, then cut to the room there is.
      std::unique_ptr<std::uint16_t[]> whole(new (std::nothrow) std::uint16_t[engine::Utf8Units(text) + 1]);
      if (!whole) return;
      engine::Utf8Decoding decoded;
      engine::DecodeUtf8(text, true, whole.get(), &decoded);
      std::memcpy(units, whole.get(), std::min(room, decoded.units) * 2);
      return;
    }
    default:
      engine::DecodeSingleByte(CharsetWindows1252, text.first(std::min(size, room)), units);
      return;
  }
}

bool LoadFileFilters(char16_t* destination, std::size_t capacityBytes, const char16_t* path) {
  std::unique_ptr<std::uint8_t[]> bytes;
  std::size_t got = 0;
  const platform::FileStart read =
      platform::ReadFileStart(path, kLargestRead, platform::Longer::ReadStart, &bytes, &got);
  if (read == platform::FileStart::NotOpened) return false;
  if (read == platform::FileStart::Read) DecodeFilterText(bytes.get(), got, destination, capacityBytes);
  return true;
}

void BuildFilterBuffer(char16_t (&filters)[kFilterBufferUnits], const char16_t* path) {
  std::fill(std::begin(filters), std::end(filters), u'\0');
  std::unique_ptr<char16_t[]> working(new (std::nothrow) char16_t[kWorkingUnits]());
  std::size_t used = 0;
  if (working && LoadFileFilters(working.get(), kWorkingUnits * 2, path)) {
    // Every kind of line break becomes one LF, which then separates fields.
    const std::span<const std::uint16_t> text(reinterpret_cast<const std::uint16_t*>(working.get()), kWorkingUnits);
    std::unique_ptr<std::uint16_t[]> rewritten(
        new (std::nothrow) std::uint16_t[engine::LineBreakUnits(engine::kLineBreakLf, text) + 1]());
    if (rewritten) {
      const std::size_t units = engine::RewriteLineBreaks(engine::kLineBreakLf, text, rewritten.get());
      // Room stays for "All files|*.*|" and the final NUL.
      used = CopyUnitsUpToNul(rewritten.get(), units, filters, kFilterBufferUnits - kAllFilesUnits - 1);
    }
  }
  std::copy(kAllFiles, kAllFiles + kAllFilesUnits, filters + used);
  const std::size_t end = used + kAllFilesUnits;  // the string's terminator
  for (std::size_t i = 0; i < end; ++i)
    if (filters[i] == u'|' || filters[i] == u'\n') filters[i] = 0;
}

}  // namespace recodo
