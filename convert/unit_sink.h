// Where a stage of the conversion hands on what it made.
#pragma once

#include <cstddef>
#include <cstdint>

namespace recodo {

// Takes UTF-16 units; false stops the conversion (the taker says why).
class UnitSink {
 public:
  virtual bool Take(const std::uint16_t* units, std::size_t count) = 0;

 protected:
  ~UnitSink() = default;
};

// Takes the bytes of the result; false stops the conversion.
class ByteSink {
 public:
  virtual bool Take(const std::uint8_t* bytes, std::size_t length) = 0;

 protected:
  ~ByteSink() = default;
};

}  // namespace recodo
