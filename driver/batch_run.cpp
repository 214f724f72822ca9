#include "batch_run.h"

#include <memory>
#include <optional>
#include <set>
#include <string>

#include "classify_path.h"
#include "conversion_reports.h"
#include "conversion_switches.h"
#include "convert/convert_file.h"
#include "destination_naming.h"
#include "engine/catalogue.h"
#include "engine/detector.h"
#include "engine/guess.h"
#include "guess_run.h"
#include "output.h"
#include "source_walk.h"
#include "base/text_format.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/system_error.h"
#include "recodo/recodo.h"
#include "security/privileges.h"
#include "security/user_translation_table.h"

namespace recodo {
namespace {

struct RunCounters {
  ConvertFileResult lastFailure = 0;  // of the last file that failed
  std::int32_t succeeded = 0;
  std::int32_t failed = 0;
  std::uint64_t totalBytes = 0;
};

std::u16string Quoted(const char16_t* text) { return u"\"" + std::u16string(text) + u"\""; }

class BatchRun {
 public:
  explicit BatchRun(Settings& settings);

  int Run();

 private:
  int RunSingleFile();
  int RunWildcard();
  // Converts one source and prints its lines; false for a failure.
  bool ConvertOne(const char16_t* sourcePath, const char16_t* destination, const char16_t* displayName);
  // Why a destination must not be written, printed; false when it may be.
  bool Refused(const char16_t* destination, const char16_t* displayName);
  bool IsLog(const char16_t* path) const;
  void Fail(ConvertFileResult result, const char16_t* displayName);
  int Summary();

  Settings& settings_;
  const ConversionOptions options_;
  PrintedReports printed_;
  DialogReports dialog_;
  ConversionReporter& reporter_;
  FileConverter converter_;
  RunCounters counters_;
  // Files this run has written: with "/move" never overwritten by a later
  // source.
  std::set<platform::FileIdentity> written_;
  // The run's log: never converted, never written over.
  std::optional<platform::FileIdentity> log_;
  std::u16string logName_;
};

BatchRun::BatchRun(Settings& settings)
    : settings_(settings),
      options_(ConversionOptionsOf(settings)),
      dialog_(!settings.noMessageBox),
      reporter_(settings.uiMode ? static_cast<ConversionReporter&>(dialog_) : printed_) {
  platform::FileIdentity identity;
  if (settings_.logPath[0] != 0 && platform::IdentityOf(settings_.logPath, &identity)) {
    log_ = identity;
    logName_ = platform::FindFileName(settings_.logPath);
  }
}

bool BatchRun::IsLog(const char16_t* path) const {
  if (!log_ || platform::FileNameKey(platform::FindFileName(path)) != platform::FileNameKey(logName_.c_str()))
    return false;
  platform::FileIdentity identity;
  return platform::IdentityOf(path, &identity) && identity == *log_;
}

void BatchRun::Fail(ConvertFileResult result, const char16_t* displayName) {
  Print(u"Error " + Decimal(result) + u": Conversion of \"" + displayName + u"\" failed.\n");
  ++counters_.failed;
  counters_.lastFailure = result;
}

bool BatchRun::Refused(const char16_t* destination, const char16_t* displayName) {
  if (IsLog(destination)) {
    Print(Quoted(destination) + u" is the log of this run; " + Quoted(displayName) + u" is not converted onto it.\n");
    return true;
  }
  if (settings_.moveSource) {
    platform::FileIdentity existing;
    if (platform::IdentityOf(destination, &existing) && written_.count(existing) != 0) {
      Print(Quoted(destination) + u" was already written in this run; " + Quoted(displayName) + u" is kept.\n");
      return true;
    }
  }
  return false;
}

bool BatchRun::ConvertOne(const char16_t* sourcePath, const char16_t* destination, const char16_t* displayName) {
  if (Refused(destination, displayName)) {
    Fail(ConvertFileNotWritten, displayName);
    return false;
  }
  if (settings_.detectSource && settings_.guessSource) {
    const CharsetGuess guess = GuessFileForConversion(sourcePath);
    settings_.sourceCharset = guess.set;
    settings_.sourceCharsetName = GetCharacterSetName(guess.set);
    if (settings_.logLevel == 1) Print(GuessLine(displayName, guess));
  } else if (settings_.detectSource) {
    settings_.sourceCharset = DetectFileForConversion(sourcePath);
    settings_.sourceCharsetName = GetCharacterSetName(settings_.sourceCharset);
  }
  std::uint64_t sourceBytes = 0;
  std::uint64_t destinationBytes = 0;
  std::uint64_t losses = 0;
  printed_.BeginFile(displayName);
  const ConvertFileResult result =
      converter_.ConvertFile(sourcePath, destination, settings_.sourceCharset, settings_.destCharsetName,
                             settings_.destCharset, options_, reporter_, &sourceBytes, &destinationBytes, &losses);
  printed_.EndFile();
  if (result != ConvertFileOk) {
    Fail(result, displayName);
    return false;
  }
  platform::FileIdentity identity;
  if (platform::IdentityOf(destination, &identity)) written_.insert(identity);
  char16_t size[32];
  platform::FormatByteSize(sourceBytes, size, 32);
  const long long difference = static_cast<long long>(destinationBytes) - static_cast<long long>(sourceBytes);
  Print(u"Success: [" + std::u16string(size) + u" + " + Decimal(difference) + u" Bytes] " + displayName + u"\n");
  if (losses != 0) {
    Print(u"Warning: " + Decimal(static_cast<long long>(losses)) + u" characters of " + Quoted(displayName) +
          u" could not be converted exactly.\n");
  }
  ++counters_.succeeded;
  counters_.totalBytes += sourceBytes;
  return true;
}

int BatchRun::RunSingleFile() {
  char16_t source[kPathCapacity];
  char16_t sourceDirectory[kPathCapacity];
  const char16_t* displayName = platform::FindFileName(settings_.sourcePath);
  if (!platform::FullPath(source, kPathCapacity, settings_.sourcePath)) {
    Print(platform::SystemErrorText(platform::NameTooLongError()));
    Fail(ConvertFileNotRead, displayName);
    return Summary();
  }
  displayName = platform::FindFileName(source);
  if (IsLog(source)) {
    Print(Quoted(source) + u" is the log of this run and is not converted.\n");
    Fail(ConvertFileNotRead, displayName);
    return Summary();
  }
  CopyPath(sourceDirectory, source);
  platform::RemoveFileSpec(sourceDirectory);

  char16_t destination[kPathCapacity];
  bool named = true;
  if (settings_.outputPath[0] == 0) {
    named = NameDestination(settings_, source, sourceDirectory, true, destination);
  } else {
    char16_t output[kPathCapacity];
    if (!platform::FullPath(output, kPathCapacity, settings_.outputPath)) {
      named = false;
    } else {
      switch (ClassifyPath(output)) {
        case kWildcardPath:
          Print(u"Invalid argument: Wildcard in destination file is not allowed!");
          return 4;
        case kExistingDirectory:
          named = NameDestination(settings_, source, output, SameDirectory(sourceDirectory, output), destination);
          break;
        default:
          // A trailing separator names a folder, and this one is missing.
          if (platform::EndsWithSeparator(settings_.outputPath)) {
            Print(platform::SystemErrorText(platform::PathNotFoundError()));
            Fail(ConvertFileNotWritten, displayName);
            return Summary();
          }
          CopyPath(destination, output);
          break;
      }
    }
  }
  if (!named) {
    Print(platform::SystemErrorText(platform::NameTooLongError()));
    Fail(ConvertFileNotWritten, displayName);
    return Summary();
  }
  if (ConvertOne(source, destination, displayName) && settings_.ownerFromPrefix) {
    AdjustProcessPrivileges(DiagnosticStream());
    CUserTranslationTable table(settings_.translationTablePath, destination);
    table.ApplyOwnerFromPrefix(true, DiagnosticStream());
  }
  return Summary();
}

int BatchRun::RunWildcard() {
  char16_t output[kPathCapacity] = {};
  if (settings_.outputPath[0] != 0) {
    switch (ClassifyPath(settings_.outputPath)) {
      case kWildcardPath:
        Print(u"Invalid argument: Wildcard in destination file is not allowed!");
        return 4;
      case kPlainPath:
        Print(u"Invalid argument: File as destination for multiple source files are not allowed!");
        return 5;
      default:
        break;
    }
    if (!platform::FullPath(output, kPathCapacity, settings_.outputPath)) {
      Print(platform::SystemErrorText(platform::NameTooLongError()));
      return Summary();
    }
  }
  // The pattern is the last component, the start directory the rest, both
  // taken from the path the system would resolve.
  char16_t start[kPathCapacity];
  if (!platform::FullPath(start, kPathCapacity, settings_.sourcePath)) {
    Print(platform::SystemErrorText(platform::NameTooLongError()));
    return Summary();
  }
  const std::u16string pattern(platform::FindFileName(start));
  platform::RemoveFileSpec(start);

  // One table for the whole run, pointed at each converted file in turn.
  std::unique_ptr<CUserTranslationTable> owners;
  if (settings_.ownerFromPrefix) {
    AdjustProcessPrivileges(DiagnosticStream());
    owners = std::make_unique<CUserTranslationTable>(settings_.translationTablePath, nullptr);
  }

  SourceWalk walk;
  walk.Walk(start, pattern.c_str(), settings_.recursive, log_, logName_.c_str());
  for (const SourceDirectory& directory : walk.directories()) {
    const char16_t* destinationDirectory =
        settings_.replaceSource || output[0] == 0 ? directory.path.c_str() : output;
    const bool beside = destinationDirectory == directory.path.c_str() ||
                        SameDirectory(directory.path.c_str(), destinationDirectory);
    // Results that land among this run's sources must not replace one.
    const SourceDirectory* destinationListing =
        settings_.replaceSource ? nullptr : beside ? &directory : walk.Find(destinationDirectory);
    for (const std::u16string& name : directory.files) {
      char16_t path[kPathCapacity];
      char16_t destination[kPathCapacity];
      bool ok;
      if (!CopyPath(path, directory.path.c_str()) || !platform::AppendPath(path, kPathCapacity, name.c_str())) {
        Print(platform::SystemErrorText(platform::NameTooLongError()));
        Fail(ConvertFileNotRead, name.c_str());
        ok = false;
      } else if (!NameDestination(settings_, path, destinationDirectory, beside, destination)) {
        Print(platform::SystemErrorText(platform::NameTooLongError()));
        Fail(ConvertFileNotWritten, name.c_str());
        ok = false;
      } else if (destinationListing != nullptr && destinationListing->Lists(platform::FindFileName(destination)) &&
                 !platform::SameExistingFile(destination, path) && platform::Exists(destination)) {
        Print(Quoted(destination) + u" is also a source of this run; " + Quoted(name.c_str()) +
              u" is not converted onto it.\n");
        Fail(ConvertFileNotWritten, name.c_str());
        ok = false;
      } else {
        ok = ConvertOne(path, destination, name.c_str());
        if (ok && owners) {
          owners->targetPath = destination;
          owners->ApplyOwnerFromPrefix(true, DiagnosticStream());
        }
      }
      if (!ok && settings_.stopOnError) break;
    }
  }
  return Summary();
}

int BatchRun::Summary() {
  Print(u"\n");
  Print(Decimal(counters_.succeeded) + u" file(s) successfully converted with total size of " +
        Decimal(static_cast<long long>(counters_.totalBytes)) + u" Bytes\n");
  Print(Decimal(counters_.failed) + u" file(s) failed to convert\n");
  ReleaseStreams();
  // With "/silent" the exit code is all a script learns: 0 only when every
  // file attempted was converted.
  return counters_.failed == 0 ? 0 : counters_.lastFailure;
}

int BatchRun::Run() {
  switch (ClassifyPath(settings_.sourcePath)) {
    case kExistingDirectory:
      if (!settings_.uiMode)
        Print(u"Invalid argument: " + std::u16string(settings_.sourcePath) +
              u" is a directory. Use wildcards like *.txt instead!");
      return 3;
    case kWildcardPath:
      return RunWildcard();
    default:
      return RunSingleFile();
  }
}

}  // namespace

int RunBatch(Settings& settings) { return BatchRun(settings).Run(); }

}  // namespace recodo
