#include "platform/standard_streams.h"

#include <windows.h>

#include <string>

namespace recodo::platform {
namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Text mode: every line feed reaches the file or console as CR LF.
std::wstring WithCarriageReturns(std::u16string_view text) {
  std::wstring out;
  out.reserve(text.size() + 8);
  for (char16_t c : text) {
    if (c == u'\n') out += L'\r';
    out += static_cast<wchar_t>(c);
  }
  return out;
}

}  // namespace

OutputChannel::~OutputChannel() { Close(); }

bool OutputChannel::OpenInherited(bool error) {
  Close();
  HANDLE h = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  if (h == nullptr || h == INVALID_HANDLE_VALUE || GetFileType(h) == FILE_TYPE_UNKNOWN) return false;
  DWORD mode;
  kind_ = GetConsoleMode(h, &mode) ? Kind::Console : Kind::Stream;
  handle_ = reinterpret_cast<std::intptr_t>(h);
  owned_ = false;
  return true;
}

// The error handle a console or script gave the program, if any; a window
// program started alone has none, and its notices go with its other lines.
bool OutputChannel::OpenNotices() { return OpenInherited(true); }

bool OutputChannel::OpenConsole() {
  Close();
  HANDLE h = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  handle_ = reinterpret_cast<std::intptr_t>(h);
  owned_ = true;
  kind_ = Kind::Console;
  return true;
}

bool OutputChannel::OpenAppend(const char16_t* path, ErrorCode* error) {
  Close();
  HANDLE h = CreateFileW(reinterpret_cast<const wchar_t*>(path), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *error = GetLastError();
    return false;
  }
  // A log is a file ("nul" aside), never a pipe, a console or a device.
  const bool nul = CompareStringOrdinal(reinterpret_cast<const wchar_t*>(path), -1, L"nul", -1, TRUE) == CSTR_EQUAL;
  if (GetFileType(h) != FILE_TYPE_DISK && !nul) {
    CloseHandle(h);
    *error = NotRegularFileError();
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(h);
  owned_ = true;
  kind_ = Kind::Stream;
  return true;
}

bool OutputChannel::IsInteractive() const { return kind_ == Kind::Console; }

void OutputChannel::Close() {
  if (owned_ && handle_ != -1) CloseHandle(AsHandle(handle_));
  handle_ = -1;
  owned_ = false;
  kind_ = Kind::None;
}

bool OutputChannel::Write(std::u16string_view text, ErrorCode* error) {
  if (kind_ == Kind::None || text.empty()) return true;
  const std::wstring wide = WithCarriageReturns(text);
  DWORD done = 0;
  if (kind_ == Kind::Console) {
    WriteConsoleW(AsHandle(handle_), wide.data(), static_cast<DWORD>(wide.size()), &done, nullptr);
    return true;
  }
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                       nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), size, nullptr, nullptr);
  if (WriteFile(AsHandle(handle_), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
      done == bytes.size())
    return true;
  if (error != nullptr) *error = GetLastError() != 0 ? GetLastError() : ERROR_WRITE_FAULT;
  return false;
}

bool AttachParentConsole() { return AttachConsole(ATTACH_PARENT_PROCESS) != FALSE; }
bool AllocateConsole() { return AllocConsole() != FALSE; }
void ReleaseConsole() { FreeConsole(); }

void WaitForKeyPress() {
  HANDLE input = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (input == INVALID_HANDLE_VALUE) return;
  // Keys pressed while the run went on do not count.
  FlushConsoleInputBuffer(input);
  INPUT_RECORD record;
  DWORD read = 0;
  while (ReadConsoleInputW(input, &record, 1, &read) && read == 1)
    if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) break;
  CloseHandle(input);
}

}  // namespace recodo::platform
