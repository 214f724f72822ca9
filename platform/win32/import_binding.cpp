#include "platform/import_binding.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "base/ascii_case.h"

namespace recodo::platform {
namespace {

// Nothing here may call through the import table: that is what is mended.
// So no C library calls either; the loops are written out.

using GetProcAddressFunction = FARPROC(WINAPI*)(HMODULE, LPCSTR);
using LoadLibraryFunction = HMODULE(WINAPI*)(LPCSTR);
using VirtualProtectFunction = BOOL(WINAPI*)(LPVOID, SIZE_T, DWORD, PDWORD);

// Unbound, being bound by one thread, bound. Threads that make their first
// calls at once wait for the one that binds: until it has finished, every
// slot it has not reached yet still calls into nothing.
enum BindState : int { kUnbound, kBinding, kBound };
std::atomic<int> state{kUnbound};

// The loader's counted module name (the system's UNICODE_STRING).
struct CountedName {
  USHORT Length;
  USHORT MaximumLength;
  const wchar_t* Buffer;
};

template <typename Function>
Function As(const void* address) {
  return reinterpret_cast<Function>(const_cast<void*>(address));
}

bool SameName(const char* a, const char* b, char end = 0) {
  for (; *a != 0 && *a != end; ++a, ++b)
    if (FoldAscii(*a) != FoldAscii(*b)) return false;
  return *b == 0 || *b == end;
}

template <typename T>
const T* At(const void* base, std::uint64_t offset) {
  return reinterpret_cast<const T*>(static_cast<const char*>(base) + offset);
}

const IMAGE_NT_HEADERS* Headers(const void* module) {
  return At<IMAGE_NT_HEADERS>(module, static_cast<const IMAGE_DOS_HEADER*>(module)->e_lfanew);
}

// A loaded module by its base name ("kernel32" matches KERNEL32.dll), found
// in the process's loader list.
const void* LoadedModule(const char* name, char end) {
  const char* peb;
  asm("movq %%gs:0x60, %0" : "=r"(peb));
  const auto* loader = *reinterpret_cast<const char* const*>(peb + 0x18);
  const auto* head = reinterpret_cast<const LIST_ENTRY*>(loader + 0x20);  // in memory order
  for (const LIST_ENTRY* link = head->Flink; link != head; link = link->Flink) {
    const char* entry = reinterpret_cast<const char*>(link) - 0x10;
    const void* base = *reinterpret_cast<void* const*>(entry + 0x30);
    const auto* baseName = reinterpret_cast<const CountedName*>(entry + 0x58);
    const std::size_t length = baseName->Length / 2;
    std::size_t i = 0;
    for (; i < length && name[i] != 0 && name[i] != end; ++i)
      if (baseName->Buffer[i] > 0x7F || FoldAscii(char(baseName->Buffer[i])) != FoldAscii(name[i])) break;
    const bool nameEnded = name[i] == 0 || name[i] == end;
    if (nameEnded && (i == length || baseName->Buffer[i] == u'.')) return base;
  }
  return nullptr;
}

// An exported function by name, following a forwarder to a loaded module.
const void* Export(const void* module, const char* name, int depth = 0) {
  if (module == nullptr || depth > 4) return nullptr;
  const IMAGE_DATA_DIRECTORY& directory = Headers(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  const auto* exports = At<IMAGE_EXPORT_DIRECTORY>(module, directory.VirtualAddress);
  const auto* names = At<DWORD>(module, exports->AddressOfNames);
  const auto* ordinals = At<WORD>(module, exports->AddressOfNameOrdinals);
  const auto* functions = At<DWORD>(module, exports->AddressOfFunctions);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    if (!SameName(At<char>(module, names[i]), name)) continue;
    const DWORD rva = functions[ordinals[i]];
    if (rva < directory.VirtualAddress || rva >= directory.VirtualAddress + directory.Size)
      return At<char>(module, rva);
    const char* forward = At<char>(module, rva);  // "OTHERDLL.Name"
    const char* dot = forward;
    while (*dot != '.' && *dot != 0) ++dot;
    if (*dot == 0) return nullptr;
    return Export(LoadedModule(forward, '.'), dot + 1, depth + 1);
  }
  return nullptr;
}

void Bind() {
  const void* kernel32 = LoadedModule("kernel32", 0);
  const auto getProcAddress = As<GetProcAddressFunction>(Export(kernel32, "GetProcAddress"));
  if (getProcAddress == nullptr) return;
  const HMODULE kernel = static_cast<HMODULE>(const_cast<void*>(kernel32));
  const auto loadLibrary = As<LoadLibraryFunction>(reinterpret_cast<const void*>(getProcAddress(kernel, "LoadLibraryA")));
  const auto virtualProtect = As<VirtualProtectFunction>(reinterpret_cast<const void*>(getProcAddress(kernel, "VirtualProtect")));
  if (loadLibrary == nullptr || virtualProtect == nullptr) return;

  // Taken relative to the code: an image loaded this way may not have had
  // its absolute addresses relocated either. (Hiding the origin also keeps
  // the compiler from bounding the image by the header the linker names.)
  const void* self;
  asm("leaq __ImageBase(%%rip), %0" : "=r"(self));
  const IMAGE_DATA_DIRECTORY& directory = Headers(self)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (const auto* import = At<IMAGE_IMPORT_DESCRIPTOR>(self, directory.VirtualAddress); import->Name != 0; ++import) {
    const auto* names = At<IMAGE_THUNK_DATA>(self, import->OriginalFirstThunk);
    auto* slots = const_cast<IMAGE_THUNK_DATA*>(At<IMAGE_THUNK_DATA>(self, import->FirstThunk));
    // A slot still equal to its name entry was never bound.
    if (names[0].u1.AddressOfData == 0 || slots[0].u1.Function != names[0].u1.AddressOfData) continue;
    const HMODULE module = loadLibrary(At<char>(self, import->Name));
    if (module == nullptr) continue;
    std::size_t count = 0;
    while (names[count].u1.AddressOfData != 0) ++count;
    DWORD oldProtection = 0;
    if (!virtualProtect(slots, count * sizeof *slots, PAGE_READWRITE, &oldProtection)) continue;
    for (std::size_t i = 0; i < count; ++i) {
      const ULONGLONG entry = names[i].u1.AddressOfData;
      const LPCSTR name = IMAGE_SNAP_BY_ORDINAL(entry)
                              ? reinterpret_cast<LPCSTR>(IMAGE_ORDINAL(entry))
                              : reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(At<char>(self, entry))->Name;
      if (const FARPROC function = getProcAddress(module, name))
        slots[i].u1.Function = reinterpret_cast<ULONGLONG>(function);
    }
    virtualProtect(slots, count * sizeof *slots, oldProtection, &oldProtection);
  }
}

}  // namespace

void BindOwnImports() {
  if (state.load(std::memory_order_acquire) == kBound) return;
  int expected = kUnbound;
  if (state.compare_exchange_strong(expected, kBinding, std::memory_order_acq_rel)) {
    Bind();
    state.store(kBound, std::memory_order_release);
    return;
  }
  // Waiting may not call the system either: a spin, with the processor's
  // hint that it is one.
  while (state.load(std::memory_order_acquire) != kBound) asm volatile("pause");
}

}  // namespace recodo::platform
