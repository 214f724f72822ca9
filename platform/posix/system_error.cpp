#include "platform/system_error.h"

#include <cerrno>
#include <cstring>

#include "platform/utf16_path.h"

namespace recodo::platform {

ErrorCode LastError() { return static_cast<ErrorCode>(errno); }

std::u16string SystemErrorText(ErrorCode code) {
  if (code == NotRegularFileError()) return u"Not a regular file\n";
  if (code == PlantedLinkError()) return u"A link another user put in a shared folder is not followed\n";
  return Utf8ToUtf16(std::strerror(static_cast<int>(code))) + u"\n";
}

bool IsNameTaken(ErrorCode code) { return code == EEXIST; }

// Kernels and file systems without O_TMPFILE answer one of these.
bool IsNotSupported(ErrorCode code) {
  return code == EOPNOTSUPP || code == ENOTSUP || code == EISDIR || code == EINVAL || code == ENOSYS;
}

ErrorCode ShortReadError() { return EIO; }
ErrorCode OutOfMemoryError() { return ENOMEM; }
ErrorCode NameTooLongError() { return ENAMETOOLONG; }
ErrorCode PathNotFoundError() { return ENOENT; }

}  // namespace recodo::platform
