// The privileges a run needs to give files to other accounts.
#pragma once

namespace recodo {

// Enables the four privileges in the process token and writes the token's
// privilege list to the diagnostic stream; never fails towards the caller.
void AdjustProcessPrivileges();

}  // namespace recodo
