// The first bytes of a file, read whole, for the small side files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace recodo::platform {

enum class FileStart { NotOpened, TooLarge, OutOfMemory, Read };

// What to do with a file longer than the limit: read its start, or refuse it.
enum class Longer { ReadStart, Refuse };

// Reads up to `limit` bytes from the start of the file; `*length` is what was
// really read (less when the file ends early or a read fails). The buffer has
// 2 bytes to spare.
FileStart ReadFileStart(const char16_t* path, std::uint64_t limit, Longer longer,
                        std::unique_ptr<std::uint8_t[]>* bytes, std::size_t* length);

}  // namespace recodo::platform
