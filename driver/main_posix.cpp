// The native command: items come from argv as the shell split them.
#include <cstring>
#include <string>
#include <vector>

#include "command_line.h"
#include "output.h"
#include "platform/standard_streams.h"
#include "platform/utf16_path.h"
#include "program.h"

int main(int argc, char** argv) {
  using namespace recodo;
  if (argc < 2 || (argc == 2 && std::strcmp(argv[1], "/?") == 0)) {
    platform::OutputChannel out;
    out.OpenInherited(false);
    out.Write(UsageText());
    return kExitHelpOrCancel;
  }
  // The texts live as long as the process: settings point into them.
  static std::vector<std::u16string> texts;
  static std::vector<char16_t*> items;
  const int count = argc - 1 < kMaxItems ? argc - 1 : kMaxItems;
  texts.reserve(count);
  for (int i = 0; i < count; ++i) texts.push_back(platform::PathFromSystem(argv[i + 1]));
  for (auto& text : texts) items.push_back(text.data());
  return RunItems(ProgramSettings(), items.data(), count);
}
