#include "platform/file_start.h"

#include <algorithm>
#include <new>

#include "platform/read_only_file.h"

namespace recodo::platform {

FileStart ReadFileStart(const char16_t* path, std::uint64_t limit, Longer longer,
                        std::unique_ptr<std::uint8_t[]>* bytes, std::size_t* length) {
  ReadOnlyFile file;
  std::uint64_t size = 0;
  if (!file.Open(path) || !file.Size(&size)) return FileStart::NotOpened;
  if (size > limit && longer == Longer::Refuse) return FileStart::TooLarge;
  const std::size_t want = static_cast<std::size_t>(std::min(size, limit));
  bytes->reset(new (std::nothrow) std::uint8_t[want + 2]);
  if (!*bytes) return FileStart::OutOfMemory;
  *length = ReadUpTo(file, bytes->get(), want);
  return FileStart::Read;
}

}  // namespace recodo::platform
