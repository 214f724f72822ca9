#include "platform/interrupts.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <string>

#include "platform/utf16_path.h"

namespace recodo::platform {
namespace {

// Room for the few files a run has unfinished at once. A handler may only
// read plain memory: the paths are kept as the bytes unlink takes.
constexpr int kSlots = 4;
constexpr std::size_t kPathBytes = 4096 * 3 + 1;
char paths[kSlots][kPathBytes];
std::atomic<bool> used[kSlots];

void OnInterrupt(int signal) {
  RemoveRegisteredTemporaries();
  // Then end as the signal would have ended the process.
  ::signal(signal, SIG_DFL);
  raise(signal);
}

}  // namespace

void RemoveRegisteredTemporaries() {
  for (int i = 0; i < kSlots; ++i)
    if (used[i].load()) unlink(paths[i]);
}

void RemoveTemporariesOnInterrupt() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal the run was told to ignore stays ignored.
    struct sigaction before;
    if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
}

void RegisterTemporary(const char16_t* path) {
  const std::string bytes = Utf16ToUtf8Path(path);
  if (bytes.size() >= kPathBytes) return;
  for (int i = 0; i < kSlots; ++i) {
    if (used[i].load()) continue;
    std::memcpy(paths[i], bytes.c_str(), bytes.size() + 1);
    used[i].store(true);
    return;
  }
}

void UnregisterTemporary(const char16_t* path) {
  const std::string bytes = Utf16ToUtf8Path(path);
  for (int i = 0; i < kSlots; ++i)
    if (used[i].load() && bytes == paths[i]) used[i].store(false);
}

}  // namespace recodo::platform
