#include "platform/system_error.h"

#include <windows.h>

namespace recodo::platform {

ErrorCode LastError() { return GetLastError(); }

std::u16string SystemErrorText(ErrorCode code) {
  if (code == NotRegularFileError()) return u"The file is not a regular file.\n";
  if (code == PlantedLinkError()) return u"A link another user put in a shared folder is not followed.\n";
  wchar_t buffer[512] = {};
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                 MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, 512, nullptr);
  std::u16string text(reinterpret_cast<const char16_t*>(buffer));
  if (text.empty()) {
    const std::wstring number = std::to_wstring(code);
    text = u"System error " + std::u16string(number.begin(), number.end()) + u"\n";
  }
  // Lines end in "\n" inside the program; the output adds the CR.
  std::u16string out;
  for (char16_t c : text)
    if (c != u'\r') out += c;
  return out;
}

bool IsNameTaken(ErrorCode code) { return code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS; }

bool IsNotSupported(ErrorCode code) { return code == ERROR_NOT_SUPPORTED || code == ERROR_INVALID_FUNCTION; }

ErrorCode ShortReadError() { return ERROR_HANDLE_EOF; }
ErrorCode OutOfMemoryError() { return ERROR_NOT_ENOUGH_MEMORY; }
ErrorCode NameTooLongError() { return ERROR_FILENAME_EXCED_RANGE; }
ErrorCode PathNotFoundError() { return ERROR_PATH_NOT_FOUND; }

}  // namespace recodo::platform
