// The diagnostic stream of a test, routed to a log file and read back.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "driver/output.h"
#include "driver/settings.h"

namespace recodo::test {

class DiagnosticsCapture {
 public:
  explicit DiagnosticsCapture(const std::filesystem::path& log) : log_(log) {
    Settings settings;
    settings.noConsole = true;
    settings.logLevel = 1;
    CopyPath(settings.logPath, log.u16string().c_str());
    SetUpStreams(settings);
  }
  ~DiagnosticsCapture() { SetUpStreams(Settings{}); }

  // What was written since the start, as UTF-8 without CRs and without the
  // log's start header.
  std::string Text() const {
    std::ifstream in(log_, std::ios::binary);
    std::string text(std::istreambuf_iterator<char>(in), {});
    std::erase(text, '\r');
    const std::size_t start = text.find(" - Start\n\n");
    return start == std::string::npos ? text : text.substr(start + 10);
  }

 private:
  std::filesystem::path log_;
};

}  // namespace recodo::test
