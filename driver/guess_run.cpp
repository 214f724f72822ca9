#include "guess_run.h"

#include "base/text_format.h"
#include "classify_path.h"
#include "convert/convert_file.h"
#include "engine/engine.h"
#include "exit_codes.h"
#include "output.h"
#include "run_report.h"
#include "platform/paths.h"
#include "platform/standard_data.h"
#include "platform/system_error.h"
#include "source_walk.h"

namespace recodo {
namespace {

std::u16string Ascii(const char* text) { return std::u16string(text, text + std::char_traits<char>::length(text)); }

std::u16string SetName(CharsetCode set) {
  const char16_t* name = engine::SetName(set);
  return name != nullptr ? name : u"?";
}

class StandardInputSource final : public ByteSource {
 public:
  bool Read(std::uint8_t* buffer, std::size_t capacity, std::size_t* got, platform::ErrorCode* error) override {
    return platform::ReadStandardInput(buffer, capacity, got, error);
  }
};

// One source's line: its report, or the system's reason it could not be
// read and its path. False for the latter.
bool Report(const char16_t* path, bool read, const engine::Identification& source, platform::ErrorCode error) {
  if (!read) {
    Print(std::u16string(path) + u": " + platform::SystemErrorText(error));
    return false;
  }
  Print(GuessReportLine(path, source));
  return true;
}

bool ReportFile(const char16_t* path) {
  engine::Identification source;
  platform::ErrorCode error = 0;
  const bool read = IdentifyFile(path, true, &source, &error);
  return Report(path, read, source, error);
}

}  // namespace

std::u16string GuessLine(const char16_t* displayName, const engine::Identification& source) {
  return u"Guess: " + std::u16string(displayName) + u" is " + GuessText(source) + u"\n";
}

std::u16string GuessReportLine(const char16_t* path, const engine::Identification& source) {
  if (!source.text) return std::u16string(path) + u"\t-\t-\t0\n";
  const std::u16string language = source.language >= 0 ? Ascii(engine::LanguageTag(source.language)) : u"-";
  return std::u16string(path) + u"\t" + SetName(source.set) + u"\t" + language + u"\t" + Decimal(source.confidence) +
         u"\n";
}

namespace {

// One source of the command line: a file, a pattern, or "-" for the
// standard input. Returns the run's exit code for it.
int ReportSource(const char16_t* source, const Settings& settings) {
  int code = kExitSuccess;
  if (source[0] == u'-' && source[1] == 0) {
    StandardInputSource input;
    engine::Identification identification;
    platform::ErrorCode error = 0;
    const bool read = IdentifySource(input, true, &identification, &error);
    return Report(u"-", read, identification, error) ? kExitSuccess : kExitNotRead;
  }
  switch (ClassifyPath(source)) {
    case kExistingDirectory:
      Print(u"Invalid argument: " + std::u16string(source) + u" is a directory. Use wildcards like *.txt instead!");
      return kExitSourceIsDirectory;
    case kWildcardPath: {
      char16_t start[kPathCapacity];
      if (!platform::FullPath(start, kPathCapacity, source)) {
        Print(std::u16string(source) + u": " + platform::SystemErrorText(platform::NameTooLongError()));
        code = kExitNotRead;
        break;
      }
      const std::u16string pattern(platform::FindFileName(start));
      platform::RemoveFileSpec(start);
      SourceWalk walk;
      walk.Walk(start, pattern.c_str(), settings.recursive, std::nullopt, u"");
      for (const WalkProblem& problem : walk.problems()) {
        Print(WalkProblemLine(problem));
        if (problem.kind != WalkProblem::Kind::OutOfTree) code = kExitNotRead;
      }
      for (const SourceDirectory& directory : walk.directories()) {
        for (const std::u16string& name : directory.files) {
          char16_t path[kPathCapacity];
          if (!CopyPath(path, directory.path.c_str()) || !platform::AppendPath(path, kPathCapacity, name.c_str())) {
            Print(directory.path + platform::kSeparator + name + u": " +
                  platform::SystemErrorText(platform::NameTooLongError()));
            code = kExitNotRead;
            continue;
          }
          if (!ReportFile(path)) code = kExitNotRead;
        }
      }
      break;
    }
    default:
      if (!ReportFile(source)) code = kExitNotRead;
      break;
  }
  return code;
}

}  // namespace

int RunGuessOnly(Settings& settings) {
  int code = ReportSource(settings.sourcePath, settings);
  // Every further source is reported too; the first failure decides the code.
  for (const std::u16string& source : settings.moreSources) {
    const int more = ReportSource(source.c_str(), settings);
    if (code == kExitSuccess) code = more;
  }
  ReleaseStreams();
  return code;
}

}  // namespace recodo
