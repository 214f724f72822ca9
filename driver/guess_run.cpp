#include "guess_run.h"

#include <memory>
#include <new>
#include <optional>

#include "classify_path.h"
#include "engine/catalogue.h"
#include "output.h"
#include "source_walk.h"
#include "base/text_format.h"
#include "platform/paths.h"
#include "platform/standard_data.h"
#include "platform/system_error.h"

namespace recodo {
namespace {

std::u16string Ascii(const char* text) { return std::u16string(text, text + std::char_traits<char>::length(text)); }

std::u16string SetName(CharsetCode set) {
  const char16_t* name = GetCharacterSetName(set);
  return name != nullptr ? name : u"?";
}

// The standard input, read to its end: detection needs all of it, the guess
// its start.
CharsetGuess GuessStandardInput() {
  constexpr std::uint32_t kBlock = 64 * 1024;
  std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[kBlock]);
  CharsetGuess unreadable;
  if (!block) return unreadable;
  GuessingDetector guesser;
  for (;;) {
    std::size_t got = 0;
    platform::ErrorCode error = 0;
    if (!platform::ReadStandardInput(block.get(), kBlock, &got, &error)) return unreadable;
    if (got == 0) break;
    guesser.Feed(block.get(), got);
  }
  return guesser.Finish();
}

}  // namespace

std::u16string GuessLine(const char16_t* displayName, const CharsetGuess& guess) {
  std::u16string line = u"Guess: " + std::u16string(displayName) + u" is " + SetName(guess.set);
  if (guess.language >= 0) line += u" (" + Ascii(GuessLanguageName(guess.language)) + u",";
  else line += u" (";
  line += u" confidence " + Decimal(guess.confidence) + u" %)\n";
  return line;
}

std::u16string GuessReportLine(const char16_t* path, const CharsetGuess& guess) {
  const std::u16string language = guess.language >= 0 ? Ascii(GuessLanguageName(guess.language)) : u"-";
  return std::u16string(path) + u"\t" + SetName(guess.set) + u"\t" + language + u"\t" + Decimal(guess.confidence) +
         u"\n";
}

int RunGuessOnly(Settings& settings) {
  const char16_t* source = settings.sourcePath;
  if (source[0] == u'-' && source[1] == 0) {
    Print(GuessReportLine(u"-", GuessStandardInput()));
    ReleaseStreams();
    return 0;
  }
  switch (ClassifyPath(source)) {
    case kExistingDirectory:
      Print(u"Invalid argument: " + std::u16string(source) + u" is a directory. Use wildcards like *.txt instead!");
      ReleaseStreams();
      return 3;
    case kWildcardPath: {
      char16_t start[kPathCapacity];
      if (!platform::FullPath(start, kPathCapacity, source)) {
        Print(platform::SystemErrorText(platform::NameTooLongError()));
        break;
      }
      const std::u16string pattern(platform::FindFileName(start));
      platform::RemoveFileSpec(start);
      SourceWalk walk;
      walk.Walk(start, pattern.c_str(), settings.recursive, std::nullopt, u"");
      for (const SourceDirectory& directory : walk.directories()) {
        for (const std::u16string& name : directory.files) {
          char16_t path[kPathCapacity];
          if (!CopyPath(path, directory.path.c_str()) || !platform::AppendPath(path, kPathCapacity, name.c_str()))
            continue;
          Print(GuessReportLine(path, GuessFileForConversion(path)));
        }
      }
      break;
    }
    default:
      Print(GuessReportLine(source, GuessFileForConversion(source)));
      break;
  }
  ReleaseStreams();
  return 0;
}

}  // namespace recodo
