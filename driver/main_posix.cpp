// The native command: items come from argv as the shell split them, and
// the spellings of other Linux tools are taken as well as the table's own.
#include <cstring>
#include <string>
#include <vector>

#include "command_line.h"
#include "platform/interrupts.h"
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
  platform::RemoveTemporariesOnInterrupt();
  // "/?" first asks for the usage, whatever follows it: never a pattern.
  if (argc < 2 || std::strcmp(argv[1], "/?") == 0) {
    WriteToStandardOutput(UsageText());
    return kExitHelpOrCancel;
  }
  // The texts live as long as the process: settings point into them. All
  // of them: a shell's pattern may give more files than a command line of
  // Windows holds items.
  static std::vector<std::u16string> texts;
  static std::vector<char16_t*> items;
  const int count = argc - 1;
  texts.reserve(count);
  for (int i = 0; i < count; ++i) texts.push_back(platform::PathFromSystem(argv[i + 1]));
  switch (RequestOfFirstItem(texts[0])) {
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
  return RunItems(ProgramSettings(), items.data(), count, ExtraItems::Sources);
}
