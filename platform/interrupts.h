// A run that is interrupted (Ctrl+C, a terminal or console that closes, a
// request to end) leaves none of its unfinished files behind.
#pragma once

namespace recodo::platform {

// From now on an interrupt removes the files registered below before the
// process ends as it would have.
void RemoveTemporariesOnInterrupt();

// A file to remove should the run be interrupted while it exists.
void RegisterTemporary(const char16_t* path);
void UnregisterTemporary(const char16_t* path);

// What an interrupt does first; for tests.
void RemoveRegisteredTemporaries();

}  // namespace recodo::platform
