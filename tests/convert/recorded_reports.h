// What a conversion reported, kept for a test to look at.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "convert/conversion_reporter.h"

namespace recodo::test {

struct RecordedReports final : ConversionReporter {
  void Line(std::u16string_view text) override { lines.emplace_back(text); }
  void OutOfMemory(bool inLineBreaks) override { outOfMemory.push_back(inLineBreaks); }
  void Finished(bool placed, std::u16string_view losses) override {
    finished.push_back(placed);
    lossTexts.emplace_back(losses);
  }

  std::vector<std::u16string> lines;
  std::vector<bool> outOfMemory;
  std::vector<bool> finished;
  std::vector<std::u16string> lossTexts;
};

}  // namespace recodo::test
