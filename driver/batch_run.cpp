#include "batch_run.h"

#include <memory>
#include <optional>
#include <set>
#include <string>

#include "base/quoted.h"
#include "classify_path.h"
#include "conversion_switches.h"
#include "convert/convert_file.h"
#include "destination_naming.h"
#include "exit_codes.h"
#include "guess_run.h"
#include "output.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/system_error.h"
#include "progress_line.h"
#include "run_destinations.h"
#include "run_plan.h"
#include "run_report.h"
#include "security/privileges.h"
#include "security/user_translation_table.h"
#include "source_walk.h"

namespace recodo {
namespace {

class BatchRun {
 public:
  BatchRun(Settings& settings, FileProgress* shown)
      : settings_(settings),
        options_(ConversionOptionsOf(settings)),
        report_(options_, settings.uiMode && !settings.noMessageBox),
        destinations_(settings),
        progress_(shown != nullptr ? *shown : line_) {}

  int Run();

 private:
  // One source, a file or a pattern: 0, or the exit code that ends the run
  // at once.
  int RunSource(const char16_t* source);
  int RunSingleFile(const char16_t* source);
  int RunWildcard(const char16_t* source);
  // Converts one source and prints its lines; false for a failure.
  // `destination` is a path buffer the owner step may rename into.
  bool ConvertOne(const char16_t* source, char16_t (&destination)[kPathCapacity], const char16_t* displayName,
                  CUserTranslationTable* owners);
  // The run's one table of prefixes and accounts, read at its first use;
  // a table that gives no owner is said once.
  CUserTranslationTable* Owners();
  // One folder of a pattern run, its results written into `output` or
  // beside them; false when the run stops at a failure.
  bool RunDirectory(const SourceDirectory& directory, const SourceWalk& walk, const char16_t* start,
                    const char16_t* output);

  Settings& settings_;
  const ConversionOptions options_;
  RunReport report_;
  RunDestinations destinations_;
  ProgressLine line_;
  FileProgress& progress_;
  FileConverter converter_;
  std::unique_ptr<CUserTranslationTable> owners_;
};

CUserTranslationTable* BatchRun::Owners() {
  if (!settings_.ownerFromPrefix) return nullptr;
  if (owners_) return owners_.get();
  AdjustProcessPrivileges(DiagnosticStream());
  owners_ = std::make_unique<CUserTranslationTable>(settings_.translationTablePath, nullptr);
  const std::u16string table = u"The user translation table " + Quoted(settings_.translationTablePath);
  if (owners_->readError != 0)
    Print(table + u" could not be read: " + platform::SystemErrorText(owners_->readError));
  else if (owners_->rowCount == 0)
    Print(table + u" holds no row; no file is given to another owner.\n");
  return owners_.get();
}

bool BatchRun::ConvertOne(const char16_t* source, char16_t (&destination)[kPathCapacity],
                          const char16_t* displayName, CUserTranslationTable* owners) {
  // Taken before the conversion, which may put a new file in its place.
  std::optional<platform::FileState> sourceState;
  if (platform::FileState state; platform::StateOf(source, &state)) sourceState = state;
  if (sourceState && destinations_.AlreadyDone(*sourceState)) {
    Print(Quoted(source) + u" is a file this run has converted already, under another name; it is skipped.\n");
    return true;
  }
  const std::u16string why = destinations_.WhyRefused(destination, displayName);
  if (!why.empty()) {
    report_.Refused(displayName, why, ConvertFileNotWritten);
    return false;
  }

  ConversionOutcome outcome;
  progress_.BeginFile(displayName);
  converter_.ConvertFile(source, destination, options_, &outcome, &progress_);
  progress_.EndFile();
  if (settings_.logLevel == 1 && outcome.source.guessed) Print(GuessLine(displayName, outcome.source));
  if (outcome.placed) destinations_.Done(sourceState, destination);
  if (!report_.Converted(displayName, outcome)) return false;
  if (owners == nullptr) return true;
  owners->targetPath = destination;
  if (const auto refused = owners->ApplyOwnerFromPrefix(true, DiagnosticStream())) {
    report_.FailedAfterConversion(displayName,
                                  Quoted(refused->from.c_str()) + u" is not renamed to " + Quoted(refused->to.c_str()) +
                                      u": " + platform::SystemErrorText(refused->error),
                                  outcome.bytesIn);
    return false;
  }
  return true;
}

int BatchRun::RunSingleFile(const char16_t* sourcePath) {
  SingleFile file;
  switch (PlanSingleFile(settings_, sourcePath, &file)) {
    case Plan::RunEnds:
      report_.Ended(file.line);
      return file.code;
    case Plan::FileFails:
      report_.Refused(file.displayName.c_str(), file.line, file.code);
      return 0;
    case Plan::Ready:
      break;
  }
  ConvertOne(file.source, file.destination, file.displayName.c_str(), Owners());
  return 0;
}

int BatchRun::RunWildcard(const char16_t* source) {
  char16_t output[kPathCapacity] = {};
  if (settings_.outputPath[0] != 0) {
    std::u16string line;
    if (const int code = ManySourcesDestinationError(settings_.outputPath, &line)) {
      Print(line);
      return code;
    }
    if (!platform::FullPath(output, kPathCapacity, settings_.outputPath)) {
      report_.Refused(source, platform::SystemErrorText(platform::NameTooLongError()), ConvertFileNotWritten);
      return 0;
    }
  }
  // The pattern is the last component, the start directory the rest, both
  // taken from the path the system would resolve.
  char16_t start[kPathCapacity];
  if (!platform::FullPath(start, kPathCapacity, source)) {
    report_.Refused(source, platform::SystemErrorText(platform::NameTooLongError()), ConvertFileNotRead);
    return 0;
  }
  const std::u16string pattern(platform::FindFileName(start));
  platform::RemoveFileSpec(start);

  SourceWalk walk;
  walk.Walk(start, pattern.c_str(), settings_.recursive, destinations_.log(), destinations_.logName());
  for (const WalkProblem& problem : walk.problems()) {
    if (problem.kind == WalkProblem::Kind::OutOfTree)
      Print(WalkProblemLine(problem));
    else
      report_.FolderFailed(WalkProblemLine(problem));
  }
  for (const SourceDirectory& directory : walk.directories())
    if (!RunDirectory(directory, walk, start, output)) break;
  return 0;
}

bool BatchRun::RunDirectory(const SourceDirectory& directory, const SourceWalk& walk, const char16_t* start,
                            const char16_t* output) {
  const std::u16string destinationDirectory = DestinationDirectoryOf(settings_, directory.path, start, output);
  const bool beside =
      destinationDirectory == directory.path || SameDirectory(directory.path.c_str(), destinationDirectory.c_str());
  // Results that land among this run's sources elsewhere must not replace
  // one; beside its source a result takes its own name.
  const SourceDirectory* destinationListing =
      settings_.replaceSource || beside ? nullptr : walk.Find(destinationDirectory.c_str());
  const std::set<std::u16string> results =
      beside && !settings_.replaceSource ? ResultsOfOthers(settings_, directory) : std::set<std::u16string>();
  // One table for the whole run, pointed at each converted file in turn.
  CUserTranslationTable* const owners = Owners();
  bool madeDirectory = beside || !settings_.keepTree;
  for (const std::u16string& name : directory.files) {
    if (results.count(platform::FileNameKey(name.c_str())) != 0) continue;
    char16_t path[kPathCapacity];
    char16_t destination[kPathCapacity];
    bool ok = false;
    platform::ErrorCode error = 0;
    if (!CopyPath(path, directory.path.c_str()) || !platform::AppendPath(path, kPathCapacity, name.c_str())) {
      report_.Refused(name.c_str(), platform::SystemErrorText(platform::NameTooLongError()), ConvertFileNotRead);
    } else if (!NameDestination(settings_, path, destinationDirectory.c_str(), beside, destination)) {
      report_.Refused(name.c_str(), platform::SystemErrorText(platform::NameTooLongError()), ConvertFileNotWritten);
    } else if (destinationListing != nullptr && destinationListing->Lists(platform::FindFileName(destination)) &&
               !platform::SameExistingFile(destination, path) && platform::Exists(destination)) {
      report_.Refused(name.c_str(),
                      Quoted(destination) + u" is also a source of this run; " + Quoted(name.c_str()) +
                          u" is not converted onto it.\n",
                      ConvertFileNotWritten);
    } else if (!madeDirectory && !platform::CreateDirectories(destinationDirectory.c_str(), &error)) {
      report_.Refused(name.c_str(), Quoted(destinationDirectory.c_str()) + u": " + platform::SystemErrorText(error),
                      ConvertFileNotWritten);
    } else {
      madeDirectory = true;
      ok = ConvertOne(path, destination, name.c_str(), owners);
    }
    if (!ok && settings_.stopOnError) return false;
  }
  return true;
}

int BatchRun::RunSource(const char16_t* source) {
  switch (ClassifyPath(source)) {
    case kExistingDirectory: {
      if (settings_.uiMode) {
        report_.Ended(Quoted(source) + u" is a folder. Choose a file as the source.\n");
        return kExitSourceIsDirectory;
      }
      const std::u16string line =
          u"Invalid argument: " + std::u16string(source) + u" is a directory. Use wildcards like *.txt instead!";
      if (settings_.moreSources.empty()) {
        Print(line);
        return kExitSourceIsDirectory;
      }
      // One of several: it fails, the others go on.
      report_.Refused(source, line + u"\n", kExitSourceIsDirectory);
      return 0;
    }
    case kWildcardPath:
      if (settings_.uiMode) {
        report_.Ended(Quoted(source) + u" names files by a pattern (* or ?). Choose one file as the source.\n");
        return kExitNotRead;
      }
      return RunWildcard(source);
    default:
      return RunSingleFile(source);
  }
}

int BatchRun::Run() {
  if (!settings_.moreSources.empty() && settings_.outputPath[0] != 0) {
    // Several sources go into one folder, as a pattern's do.
    std::u16string line;
    if (const int code = ManySourcesDestinationError(settings_.outputPath, &line)) {
      Print(line);
      return code;
    }
  }
  if (const int ended = RunSource(settings_.sourcePath)) return ended;
  for (const std::u16string& source : settings_.moreSources)
    if (const int ended = RunSource(source.c_str())) return ended;
  return report_.Summary();
}

}  // namespace

int RunBatch(Settings& settings, FileProgress* shown) { return BatchRun(settings, shown).Run(); }

}  // namespace recodo
