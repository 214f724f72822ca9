#include "platform/message_box.h"

#include <windows.h>

namespace recodo::platform {

void ShowMessageBox(const char16_t* text, const char16_t* caption, MessageIcon icon, bool desktopOwner) {
  MessageBoxW(desktopOwner ? GetDesktopWindow() : nullptr, reinterpret_cast<const wchar_t*>(text),
              reinterpret_cast<const wchar_t*>(caption), icon == MessageIcon::Error ? MB_ICONERROR : MB_ICONINFORMATION);
}

}  // namespace recodo::platform
