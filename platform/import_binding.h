// Programs may load recodo.exe as a library to call its exported functions.
// Its start-up code never runs then, and some loaders (Wine's among them)
// leave a program's imports unbound when it is loaded that way.
#pragma once

namespace recodo::platform {

// Binds whatever imports of this module are still unbound; cheap once done.
// Uses nothing that needs an import itself.
void BindOwnImports();

}  // namespace recodo::platform
