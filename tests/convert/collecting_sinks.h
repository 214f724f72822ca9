// Sinks that keep everything a conversion stage hands on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "convert/unit_sink.h"

namespace recodo::test {

class BytesInto : public ByteSink {
 public:
  explicit BytesInto(std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  bool Take(const std::uint8_t* bytes, std::size_t length) override {
    bytes_.insert(bytes_.end(), bytes, bytes + length);
    return true;
  }

 private:
  std::vector<std::uint8_t>& bytes_;
};

template <typename Units>
class UnitsInto : public UnitSink {
 public:
  explicit UnitsInto(Units& units) : units_(units) {}
  bool Take(const std::uint16_t* units, std::size_t count) override {
    units_.insert(units_.end(), units, units + count);
    return true;
  }

 private:
  Units& units_;
};

}  // namespace recodo::test
