// The access list of a file, entry by entry, on the diagnostic stream.
#pragma once

#include <cstdint>

#include "base/diagnostic_sink.h"

namespace recodo {

// One line naming the rights of a mask, then its lower 16 bits.
void DumpAccessMask(std::uint32_t mask, DiagnosticSink& diagnostics);
// The German word for an account type, into a buffer of 128 units.
void GetSidTypeName(int type, char16_t* buffer);

#if defined(_WIN32)
// Every entry of the list with its flags, type, account and rights.
void DumpDacl(const void* dacl, DiagnosticSink& diagnostics);
#endif

}  // namespace recodo
