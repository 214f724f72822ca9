// The message boxes of dialog mode.
#pragma once

namespace recodo::platform {

enum class MessageIcon { Error, Warning, Information };

// `desktopOwner`: owned by the desktop window rather than by no window.
void ShowMessageBox(const char16_t* text, const char16_t* caption, MessageIcon icon, bool desktopOwner);

}  // namespace recodo::platform
