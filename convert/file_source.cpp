#include "file_source.h"

#include <algorithm>

#include "platform/file_system.h"

namespace recodo {

bool FileSource::Open(const char16_t* path, platform::ErrorCode* error) {
  if (!file_.Open(path) || !file_.State(&opened_)) {
    *error = platform::LastError();
    file_.Close();
    return false;
  }
  return true;
}

bool FileSource::Read(std::uint8_t* buffer, std::size_t capacity, std::size_t* got, platform::ErrorCode* error) {
  std::uint32_t read = 0;
  const auto ask = static_cast<std::uint32_t>(std::min<std::size_t>(capacity, 0x40000000u));
  if (!file_.Read(buffer, ask, &read)) {
    *error = platform::LastError();
    if (*error == 0) *error = platform::ShortReadError();
    *got = 0;
    return false;
  }
  *got = read;
  return true;
}

bool FileSource::Unchanged(const char16_t* path) const {
  platform::FileState now;
  platform::FileIdentity named;
  return file_.State(&now) && now == opened_ && platform::IdentityOf(path, &named) && named == opened_.identity;
}

}  // namespace recodo
