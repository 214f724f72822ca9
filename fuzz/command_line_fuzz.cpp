// Command-line text of any kind: the splitter and the option table stay
// inside the text and the settings' buffers.
#include <cstring>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One unit a byte: the splitter and the options look at ASCII only.
  std::vector<char16_t> text(data, data + size);
  text.push_back(0);
  recodo::CommandLineItems items = recodo::SplitCommandLine(text.data());
  fuzz::Check(items.count >= 0 && items.count <= recodo::kMaxItems);
  recodo::Settings settings;
  for (int i = 0; i < items.count; ++i) {
    fuzz::Check(items.items[i] >= text.data() && items.items[i] < text.data() + text.size());
    if (i > 0) recodo::ApplyOption(settings, items.items[i]);
  }
  // Every path buffer still ends within itself.
  for (const char16_t* buffer : {settings.outputPath, settings.logPath, settings.translationTablePath})
    fuzz::Check(std::char_traits<char16_t>::find(buffer, recodo::kPathCapacity, u'\0') != nullptr);
  return 0;
}
