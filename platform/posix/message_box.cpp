#include "platform/message_box.h"

#include <cstdio>

#include "platform/utf16_path.h"

namespace recodo::platform {

// There is no dialog on this side; the text goes to the diagnostic stream.
void ShowMessageBox(const char16_t* text, const char16_t* caption, MessageIcon, bool) {
  std::fprintf(stderr, "%s: %s\n", Utf16ToUtf8(caption).c_str(), Utf16ToUtf8(text).c_str());
}

}  // namespace recodo::platform
