// The exported detection functions.
#include <memory>
#include <new>

#include "detector.h"
#include "platform/read_only_file.h"
#include "recodo/recodo.h"

using namespace recodo;

extern "C" RECODO_API int32_t DetectCharacterSet(const uint8_t* buffer, uint32_t length) {
  // Fewer than 3 bytes are never looked at; missing ones fit no set.
  if (buffer == nullptr) return length < 3 ? CharsetIso8859_1 : CharsetCount;
  Detector detector;
  detector.Feed(buffer, length);
  return detector.Finish();
}

namespace {

// What a file that cannot be read is taken for.
constexpr CharsetCode kUnreadableFile = CharsetWindows1252;
// Files are read in pieces of this size, so detection costs the same memory
// whatever the size of the file.
constexpr std::uint32_t kReadBlock = 256 * 1024;

}  // namespace

CharsetCode recodo::DetectFile(const char16_t* path, std::uint32_t blockSize) {
  platform::ReadOnlyFile file;
  std::uint64_t size = 0;
  if (!file.Open(path) || !file.Size(&size)) return kUnreadableFile;
  std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[blockSize]);
  if (!block) return kUnreadableFile;

  Detector detector;
  std::uint64_t total = 0;
  while (total < size && !detector.Decided()) {
    const std::uint64_t left = size - total;
    const std::uint32_t want = left < blockSize ? static_cast<std::uint32_t>(left) : blockSize;
    std::uint32_t got = 0;
    // Bytes that were not read are never classified: a failed or short read
    // counts as a file that cannot be read.
    if (!file.Read(block.get(), want, &got) || got == 0) return kUnreadableFile;
    detector.Feed(block.get(), got);
    total += got;
  }
  return detector.Finish();
}

extern "C" RECODO_API int32_t DetectCharacterSetByFile(const uint16_t* path) {
  if (path == nullptr) return kUnreadableFile;
  return DetectFile(reinterpret_cast<const char16_t*>(path), kReadBlock);
}
