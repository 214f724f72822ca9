// The native command: items come from argv as the shell split them, and
// the spellings of other Linux tools are taken as well as the table's own.
#include <cstring>
#include <string>
#include <vector>

#include "command_line.h"
#include "platform/standard_data.h"
#include "platform/standard_streams.h"
#include "platform/utf16_path.h"
#include "program.h"
#include "usual_spellings.h"

namespace {

void WriteToStandardOutput(const std::u16string& text) {
  recodo::platform::OutputChannel out;
  out.OpenInherited(false);
  out.Write(text);
}

// A terminal's lines end in LF alone.
std::u16string WithoutCarriageReturns(std::u16string text) {
  std::erase(text, u'\r');
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace recodo;
  platform::GuardStandardDescriptors();
  // "/?" first asks for the usage, whatever follows it: never a pattern.
  if (argc < 2 || std::strcmp(argv[1], "/?") == 0) {
    WriteToStandardOutput(UsageText());
    return kExitHelpOrCancel;
  }
  // The texts live as long as the process: settings point into them.
  static std::vector<std::u16string> typed;
  static std::vector<std::u16string> texts;
  static std::vector<char16_t*> items;
  static std::vector<const char16_t*> typedItems;
  const int count = argc - 1 < kMaxItems ? argc - 1 : kMaxItems;
  typed.reserve(count);
  texts.reserve(count);
  for (int i = 0; i < count; ++i) {
    typed.push_back(platform::PathFromSystem(argv[i + 1]));
    texts.push_back(i == 0 ? typed.back() : TableSpelling(typed.back()));
  }
  switch (RequestOfFirstItem(typed[0])) {
    case FirstItemRequest::Help:
      WriteToStandardOutput(WithoutCarriageReturns(UsageText()));
      return 0;
    case FirstItemRequest::Version:
      WriteToStandardOutput(BannerLine() + u"\n");
      return 0;
    case FirstItemRequest::None:
      break;
  }
  for (auto& text : texts) items.push_back(text.data());
  for (auto& text : typed) typedItems.push_back(text.c_str());
  return RunItems(ProgramSettings(), items.data(), count, typedItems.data());
}
