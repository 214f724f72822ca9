// The exported detection functions.
#include <algorithm>
#include <memory>
#include <new>

#include "detector.h"
#include "engine/engine.h"
#include "platform/read_only_file.h"
#include "recodo/recodo.h"

using namespace recodo;

CharsetCode engine::DetectCharacterSet(std::span<const std::uint8_t> bytes) {
  Detector detector;
  detector.Feed(bytes.data(), bytes.size());
  return detector.Finish();
}

extern "C" RECODO_API int32_t DetectCharacterSet(const uint8_t* buffer, uint32_t length) {
  // Fewer than 3 bytes are never looked at; missing ones fit no set.
  if (buffer == nullptr) return length < 3 ? CharsetIso8859_1 : CharsetCount;
  return engine::DetectCharacterSet({buffer, length});
}

namespace {

// What a file that cannot be read is taken for.
constexpr CharsetCode kUnreadableFile = CharsetWindows1252;
// Files are read in pieces, so detection costs the same memory whatever the
// size of the file.
constexpr std::uint32_t kReadBlock = engine::kReadPiece;

}  // namespace

CharsetCode recodo::DetectFile(const char16_t* path, std::uint32_t blockSize) {
  platform::ReadOnlyFile file;
  std::uint64_t size = 0;
  if (!file.Open(path) || !file.Size(&size)) return kUnreadableFile;
  std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[blockSize]);
  if (!block) return kUnreadableFile;

  // The size the file reported is what is read. Bytes that were not read
  // are never classified: a failed or short read counts as a file that
  // cannot be read.
  Detector detector;
  std::uint64_t total = 0;
  const auto read = [&](std::uint8_t* buffer, std::size_t capacity, std::size_t* got) {
    const auto want = static_cast<std::uint32_t>(std::min<std::uint64_t>(capacity, size - total));
    std::uint32_t read = 0;
    if (want != 0 && (!file.Read(buffer, want, &read) || read == 0)) return false;
    total += read;
    *got = read;
    return true;
  };
  const auto take = [&](std::span<const std::uint8_t> piece) {
    detector.Feed(piece.data(), piece.size());
    return true;
  };
  bool ended = false;
  if (!engine::ReadUntilDecided({block.get(), blockSize}, read, take, [&] { return detector.Decided(); }, &ended))
    return kUnreadableFile;
  return detector.Finish();
}

extern "C" RECODO_API int32_t DetectCharacterSetByFile(const uint16_t* path) {
  if (path == nullptr) return kUnreadableFile;
  return DetectFile(reinterpret_cast<const char16_t*>(path), kReadBlock);
}
