#include "filter_run.h"

#include <string>

#include "base/quoted.h"
#include "classify_path.h"
#include "conversion_switches.h"
#include "convert/converter.h"
#include "convert/file_source.h"
#include "convert/result_file.h"
#include "exit_codes.h"
#include "output.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/standard_data.h"
#include "run_report.h"

namespace recodo {
namespace {

constexpr const char16_t* kStreamName = u"(standard input)";

bool IsDash(const char16_t* text) { return text[0] == u'-' && text[1] == 0; }

class StandardInputSource final : public ByteSource {
 public:
  bool Read(std::uint8_t* buffer, std::size_t capacity, std::size_t* got, platform::ErrorCode* error) override {
    return platform::ReadStandardInput(buffer, capacity, got, error);
  }
};

class StandardOutputSink final : public ByteSink {
 public:
  bool Take(const std::uint8_t* bytes, std::size_t length) override {
    return platform::WriteStandardOutput(bytes, length, &error);
  }
  platform::ErrorCode error = 0;
};

// Identifies and converts the standard input into the sink; the guess of
// what is not text is refused, as for a file.
bool ConvertInput(Converter& converter, ByteSource& input, ByteSink& sink, const ConversionOptions& options,
                  ConversionOutcome* outcome) {
  if (!converter.Identify(input, options, outcome)) return false;
  if (options.sourceChoice == SourceSetChoice::Guessed && !outcome->source.text) {
    outcome->refusal = Refusal::NotText;
    outcome->result = ConvertFileNotWritten;
    return false;
  }
  return converter.Convert(sink, options, outcome);
}

}  // namespace

bool ReadsStandardInput(const Settings& settings) { return IsDash(settings.sourcePath); }

bool WritesStandardOutput(const Settings& settings) {
  // "/guess-only" writes its report lines there, and no converted bytes.
  if (settings.guessOnly) return false;
  if (ReadsStandardInput(settings)) return settings.outputPath[0] == 0 || IsDash(settings.outputPath);
  // One file, as other tools take "-" for standard output; a pattern, a
  // folder or several sources do not go into one stream.
  return IsDash(settings.outputPath) && settings.moreSources.empty() &&
         ClassifyPath(settings.sourcePath) == kPlainPath;
}

int RunFilter(Settings& settings) {
  const bool fromFile = !ReadsStandardInput(settings);
  if (settings.replaceSource || settings.moveSource) {
    Print(fromFile ? u"Invalid argument: Standard output can not take the place of a source. Name a file with /output= instead!"
                   : u"Invalid argument: Standard input can not be replaced or moved. Use /output= or a pipe instead!");
    return kExitSourceIsDirectory;
  }
  const bool toStandardOutput = WritesStandardOutput(settings);
  if (!toStandardOutput) {
    switch (ClassifyPath(settings.outputPath)) {
      case kWildcardPath:
        Print(u"Invalid argument: Wildcard in destination file is not allowed!");
        return kExitWildcardDestination;
      case kExistingDirectory:
        Print(u"Invalid argument: Standard input has no file name to take into a directory. Name the file!");
        return kExitSourceIsDirectory;
      default:
        break;
    }
  }

  const ConversionOptions options = ConversionOptionsOf(settings);
  StandardInputSource standardInput;
  FileSource file;
  ByteSource& input = fromFile ? static_cast<ByteSource&>(file) : standardInput;
  const std::u16string name = fromFile ? std::u16string(platform::FindFileName(settings.sourcePath)) : kStreamName;
  Converter converter;
  ConversionOutcome outcome;
  if (fromFile && (!platform::MayFollowLinks(settings.sourcePath, &outcome.error) ||
                   !file.Open(settings.sourcePath, &outcome.error))) {
    outcome.result = ConvertFileNotRead;
    outcome.errorPlace = Quoted(settings.sourcePath);
  } else if (toStandardOutput) {
    StandardOutputSink sink;
    if (!ConvertInput(converter, input, sink, options, &outcome) && outcome.error == 0) outcome.error = sink.error;
  } else {
    // Into a new file beside the destination, put in its place when
    // complete: a failure leaves an existing destination as it was.
    ResultFile result;
    unsigned counter = 0;
    const std::u16string destination = platform::FinalPath(settings.outputPath);
    if (!platform::MayFollowLinks(settings.outputPath, &outcome.error)) {
      outcome.result = ConvertFileNotWritten;
      outcome.errorPlace = Quoted(settings.outputPath);
    } else if (!result.Create(destination.c_str(), &counter, &outcome.error)) {
      outcome.result = ConvertFileNotWritten;
      outcome.errorPlace = result.failedPlace();
    } else if (!ConvertInput(converter, input, result, options, &outcome)) {
      if (outcome.result == ConvertFileNotWritten && outcome.error == 0) {
        outcome.error = result.writeError();
        outcome.errorPlace = result.failedPlace();
      }
    } else if (!result.Ready(u"", false, &outcome.error) || !result.Place(false, &outcome.error)) {
      outcome.result = ConvertFileNotWritten;
      outcome.errorPlace = result.failedPlace();
    } else {
      outcome.placed = true;
    }
  }
  RunReport report(options, false);
  report.Converted(name.c_str(), outcome);
  return report.Summary();
}

}  // namespace recodo
