#include "platform/interrupts.h"

#include <windows.h>

#include <atomic>
#include <cstring>

namespace recodo::platform {
namespace {

constexpr int kSlots = 4;
wchar_t paths[kSlots][MAX_PATH + 1];
std::atomic<bool> used[kSlots];

// Runs on a thread of its own while the run goes on: the file is marked to
// go, and goes when the process ends and its handle closes.
BOOL WINAPI OnControl(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT ||
      event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
    RemoveRegisteredTemporaries();
  return FALSE;  // and then the process ends as it would have
}

}  // namespace

void RemoveRegisteredTemporaries() {
  for (int i = 0; i < kSlots; ++i)
    if (used[i].load()) DeleteFileW(paths[i]);
}

void RemoveTemporariesOnInterrupt() { SetConsoleCtrlHandler(OnControl, TRUE); }

void RegisterTemporary(const char16_t* path) {
  const std::size_t length = std::char_traits<char16_t>::length(path);
  if (length > MAX_PATH) return;
  for (int i = 0; i < kSlots; ++i) {
    if (used[i].load()) continue;
    std::memcpy(paths[i], path, (length + 1) * sizeof(wchar_t));
    used[i].store(true);
    return;
  }
}

void UnregisterTemporary(const char16_t* path) {
  for (int i = 0; i < kSlots; ++i)
    if (used[i].load() && std::char_traits<char16_t>::compare(reinterpret_cast<const char16_t*>(paths[i]), path,
                                                               std::char_traits<char16_t>::length(path) + 1) == 0)
      used[i].store(false);
}

}  // namespace recodo::platform
