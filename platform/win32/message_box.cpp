#include "platform/message_box.h"

#include <windows.h>

namespace recodo::platform {

void ShowMessageBox(const char16_t* text, const char16_t* caption, MessageIcon icon, bool desktopOwner) {
  const UINT style = icon == MessageIcon::Error     ? MB_ICONERROR
                    : icon == MessageIcon::Warning ? MB_ICONWARNING
                                                   : MB_ICONINFORMATION;
  MessageBoxW(desktopOwner ? GetDesktopWindow() : nullptr, reinterpret_cast<const wchar_t*>(text),
              reinterpret_cast<const wchar_t*>(caption), style);
}

}  // namespace recodo::platform
