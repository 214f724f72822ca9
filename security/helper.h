// Giving a file to an account.
#pragma once

namespace recodo {

#if defined(_WIN32)
// Replaces the file's explicit access rules by full control for the account
// and makes it the owner; true when all three security calls succeeded.
bool TakeOwnerShip(const char16_t* path, void* sid);
#else
// Makes the account (and its group) the owner of the file.
bool TakeOwnerShip(const char16_t* path, long long uid, long long gid);
#endif

}  // namespace recodo
