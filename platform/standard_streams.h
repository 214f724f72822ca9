// Where the run's text goes: an inherited handle, a console allocated for
// the run, a log file or nowhere. Text arrives as UTF-16; files and pipes
// receive UTF-8, a console shows it as Unicode.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/system_error.h"

namespace recodo::platform {

class OutputChannel {
 public:
  OutputChannel() = default;
  OutputChannel(const OutputChannel&) = delete;
  OutputChannel& operator=(const OutputChannel&) = delete;
  ~OutputChannel();

  // The standard output (or error) handle the process was started with, if
  // it is a real file, pipe or console.
  bool OpenInherited(bool error);
  // The console device of this process.
  bool OpenConsole();
  // Where remarks about the command line go, if the platform has a place of
  // their own for them: the error stream a terminal shows. False leaves them
  // with the diagnostics.
  bool OpenNotices();
  // A file opened for appending, created when missing, without waiting on
  // a pipe: false, with the error, for anything but a regular file or the
  // null device.
  bool OpenAppend(const char16_t* path, ErrorCode* error);
  void Close();
  bool IsOpen() const { return kind_ != Kind::None; }
  // A person reads it as it is written: a terminal, or this program's
  // console; not a file or a pipe.
  bool IsInteractive() const;

  // False when the text could not be written whole (a full disk, a closed
  // pipe), with the error; the channel goes on.
  bool Write(std::u16string_view text, ErrorCode* error = nullptr);

 private:
  enum class Kind { None, Console, Stream };
  Kind kind_ = Kind::None;
  bool owned_ = false;
  std::intptr_t handle_ = -1;
};

// The console of the process that started this one (a prompt, recodo.com),
// if it has one; the process is then attached to it.
bool AttachParentConsole();
// A console of the process's own, in a window of its own.
bool AllocateConsole();
// Detaches from the console; a window of its own closes.
void ReleaseConsole();
// Waits for a key pressed in the console, so that its window stays until
// it is read; returns at once where no key can be read.
void WaitForKeyPress();

}  // namespace recodo::platform
