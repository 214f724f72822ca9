// Where the conversion of a file tells what happened: printed lines at a
// prompt, message boxes in the dialog. The caller decides.
#pragma once

#include <cstdint>
#include <string_view>

namespace recodo {

class ConversionReporter {
 public:
  // Why the file failed, or what was kept of its source.
  virtual void Line(std::u16string_view text) = 0;
  // The line-break or declaration step ran out of memory.
  virtual void OutOfMemory(bool inLineBreaks) = 0;
  // The result is in place or not; `losses` is empty, or says which
  // characters could not be converted exactly.
  virtual void Finished(bool placed, std::u16string_view losses) = 0;
  // Another piece is converted: `done` of the source's `total` bytes.
  virtual void Progress(std::uint64_t done, std::uint64_t total) {
    (void)done;
    (void)total;
  }

 protected:
  ~ConversionReporter() = default;
};

}  // namespace recodo
