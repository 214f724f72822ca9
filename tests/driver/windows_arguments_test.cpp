// The items of a command line are the arguments every Windows program gets:
// random texts split here and by the system's own CommandLineToArgvW.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "driver/command_line.h"

namespace {

using Items = std::vector<std::u16string>;

Items Ours(const std::u16string& text) {
  std::vector<char16_t> buffer(text.begin(), text.end());
  buffer.push_back(0);
  const recodo::CommandLineItems items = recodo::SplitCommandLine(buffer.data());
  return Items(items.items, items.items + items.count);
}

Items Windows(const std::u16string& text) {
  // The program's name first, as GetCommandLineW gives it.
  const std::wstring line = L"recodo.exe " + std::wstring(text.begin(), text.end());
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(line.c_str(), &count);
  Items items;
  for (int i = 1; i < count && items.size() < static_cast<std::size_t>(recodo::kMaxItems); ++i)
    items.emplace_back(reinterpret_cast<const char16_t*>(arguments[i]));
  LocalFree(arguments);
  return items;
}

TEST(WindowsArguments, EveryTextIsSplitAsTheSystemSplitsIt) {
  const char16_t alphabet[] = {u'a', u' ', u'\t', u'"', u'\\', u'=', u'/'};
  std::mt19937 rng(20261208);
  for (int round = 0; round < 20000; ++round) {
    std::u16string text;
    const int length = std::uniform_int_distribution<int>(0, 24)(rng);
    for (int i = 0; i < length; ++i) text += alphabet[std::uniform_int_distribution<int>(0, 6)(rng)];
    ASSERT_EQ(Ours(text), Windows(text)) << std::string(text.begin(), text.end());
  }
  for (const char16_t* text : {u"s.txt /output=\"out dir\"\\converted.txt", u"a /line=\"unix\"",
                               u"\"C:\\My Files\\*.txt\" /recursive /log=\"C:\\My Files\\recodo.log\""})
    EXPECT_EQ(Ours(text), Windows(text));
}

}  // namespace
