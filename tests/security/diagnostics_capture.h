// The diagnostic lines of a test, collected in memory.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "base/diagnostic_sink.h"
#include "recodo/recodo.h"

namespace recodo::test {

class DiagnosticsCapture final : public DiagnosticSink {
 public:
  void Write(std::u16string_view text) override { text_.append(text); }

  // What was written so far, as UTF-8 without CRs, as a log would hold it.
  std::string Text() const {
    if (text_.empty()) return {};
    const auto* units = reinterpret_cast<const std::uint16_t*>(text_.data());
    const auto bytes = static_cast<std::uint32_t>(text_.size() * 2);
    std::uint32_t size = 0;
    ConvertDoubleByteToUtf8(units, bytes, nullptr, &size);
    std::string utf8(size, '\0');
    ConvertDoubleByteToUtf8(units, bytes, reinterpret_cast<std::uint8_t*>(utf8.data()), &size);
    utf8.resize(size);
    std::erase(utf8, '\r');
    return utf8;
  }

 private:
  std::u16string text_;
};

}  // namespace recodo::test
