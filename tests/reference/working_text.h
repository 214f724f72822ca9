// The UTF-16 text of one conversion: its buffer, where the text starts in it,
// and its length in bytes. A U+0000 always follows the text.
#pragma once

#include <cstdint>
#include <memory>

namespace recodo {

struct WorkingText {
  std::unique_ptr<std::uint16_t[]> buffer;
  std::uint16_t* view = nullptr;  // the buffer start, or one unit on past a dropped mark
  std::uint32_t length = 0;       // bytes, from the view
};

}  // namespace recodo
