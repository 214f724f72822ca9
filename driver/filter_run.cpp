#include "filter_run.h"

#include <string>

#include "classify_path.h"
#include "conversion_switches.h"
#include "convert/convert_stream.h"
#include "convert/temporary_file.h"
#include "engine/catalogue.h"
#include "output.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/standard_data.h"
#include "platform/writable_file.h"
#include "recodo/recodo.h"
#include "base/text_format.h"

namespace recodo {
namespace {

constexpr const char16_t* kStreamName = u"(standard input)";

bool IsDash(const char16_t* text) { return text[0] == u'-' && text[1] == 0; }

class StandardInputSource : public ByteSource {
 public:
  bool Read(std::uint8_t* buffer, std::size_t capacity, std::size_t* got, platform::ErrorCode* error) override {
    return platform::ReadStandardInput(buffer, capacity, got, error);
  }
};

class StandardOutputSink : public ByteSink {
 public:
  bool Take(const std::uint8_t* bytes, std::size_t length) override {
    return platform::WriteStandardOutput(bytes, length, &error);
  }
  platform::ErrorCode error = 0;
};

class FileSink : public ByteSink {
 public:
  explicit FileSink(platform::WritableFile& file) : file_(file) {}
  bool Take(const std::uint8_t* bytes, std::size_t length) override { return file_.Write(bytes, length, &error); }
  platform::ErrorCode error = 0;

 private:
  platform::WritableFile& file_;
};

SourceSetChoice ChoiceOf(const Settings& settings) {
  if (!settings.detectSource) return SourceSetChoice::Given;
  return settings.guessSource ? SourceSetChoice::Guessed : SourceSetChoice::Detected;
}

PipelineOptions OptionsOf(const Settings& settings) {
  return PipelineOptionsFor(ConversionOptionsOf(settings), settings.sourceCharset, settings.destCharset,
                            settings.destCharsetName);
}

// Into a new file beside the destination, put in its place when complete:
// a failure leaves an existing destination as it was.
StreamOutcome ConvertIntoFile(StreamConverter& converter, const Settings& settings, const char16_t* destinationPath,
                              ByteSource& input) {
  StreamOutcome outcome;
  const std::u16string destination = platform::FinalPath(destinationPath);
  if (!platform::MayReplace(destination.c_str(), &outcome.error)) {
    outcome.result = ConvertFileNotWritten;
    return outcome;
  }
  platform::WritableFile file;
  std::u16string temporary;
  unsigned counter = 0;
  if (!CreateTemporaryBeside(destination.c_str(), &counter, file, &temporary, &outcome.error)) {
    outcome.result = ConvertFileNotWritten;
    return outcome;
  }
  FileSink sink(file);
  outcome = converter.Convert(input, sink, OptionsOf(settings), ChoiceOf(settings));
  if (outcome.result == ConvertFileOk) {
    file.TakeAccessFrom(destination.c_str(), u"");
    if (!file.Close(&outcome.error) || !platform::PutInPlace(temporary.c_str(), destination.c_str(), false,
                                                             &outcome.error))
      outcome.result = ConvertFileNotWritten;
  } else if (outcome.error == 0) {
    outcome.error = sink.error;
  }
  if (outcome.result != ConvertFileOk) {
    file.Close(&outcome.error);
    platform::RemoveFile(temporary.c_str());
  }
  return outcome;
}

}  // namespace

bool ReadsStandardInput(const Settings& settings) { return IsDash(settings.sourcePath); }

bool WritesStandardOutput(const Settings& settings) {
  // "/guess-only" writes its report lines there, and no converted bytes.
  return !settings.guessOnly && ReadsStandardInput(settings) &&
         (settings.outputPath[0] == 0 || IsDash(settings.outputPath));
}

int RunFilter(Settings& settings) {
  if (settings.replaceSource || settings.moveSource) {
    Print(u"Invalid argument: Standard input can not be replaced or moved. Use /output= or a pipe instead!");
    return 3;
  }
  const bool toStandardOutput = WritesStandardOutput(settings);
  if (!toStandardOutput) {
    switch (ClassifyPath(settings.outputPath)) {
      case kWildcardPath:
        Print(u"Invalid argument: Wildcard in destination file is not allowed!");
        return 4;
      case kExistingDirectory:
        Print(u"Invalid argument: Standard input has no file name to take into a directory. Name the file!");
        return 3;
      default:
        break;
    }
  }

  StandardInputSource input;
  StreamConverter converter;
  StreamOutcome outcome;
  if (toStandardOutput) {
    StandardOutputSink sink;
    outcome = converter.Convert(input, sink, OptionsOf(settings), ChoiceOf(settings));
    if (outcome.result != ConvertFileOk && outcome.error == 0) outcome.error = sink.error;
  } else {
    outcome = ConvertIntoFile(converter, settings, settings.outputPath, input);
  }

  // The batch run's lines, for the one stream.
  bool succeeded = outcome.result == ConvertFileOk;
  if (succeeded) {
    char16_t size[32];
    platform::FormatByteSize(outcome.bytesIn, size, 32);
    const long long difference = static_cast<long long>(outcome.bytesOut) - static_cast<long long>(outcome.bytesIn);
    Print(u"Success: [" + std::u16string(size) + u" + " + Decimal(difference) + u" Bytes] " + kStreamName + u"\n");
    if (outcome.losses != 0)
      Print(u"Warning: " + Decimal(static_cast<long long>(outcome.losses)) + u" characters of \"" + kStreamName +
            u"\" could not be converted exactly.\n");
  } else {
    if (outcome.error != 0) Print(platform::SystemErrorText(outcome.error));
    Print(u"Error " + Decimal(outcome.result) + u": Conversion of \"" + kStreamName + u"\" failed.\n");
  }
  Print(u"\n");
  Print(Decimal(succeeded ? 1 : 0) + u" file(s) successfully converted with total size of " +
        Decimal(static_cast<long long>(succeeded ? outcome.bytesIn : 0)) + u" Bytes\n");
  Print(Decimal(succeeded ? 0 : 1) + u" file(s) failed to convert\n");
  ReleaseStreams();
  return outcome.result;
}

}  // namespace recodo
