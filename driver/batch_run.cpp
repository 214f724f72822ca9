#include "batch_run.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "classify_path.h"
#include "exit_codes.h"
#include "conversion_switches.h"
#include "convert/convert_file.h"
#include "destination_naming.h"
#include "guess_run.h"
#include "output.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/system_error.h"
#include "progress_line.h"
#include "run_destinations.h"
#include "run_report.h"
#include "security/privileges.h"
#include "security/user_translation_table.h"
#include "source_walk.h"

namespace recodo {
namespace {

std::u16string Quoted(const char16_t* text) { return u"\"" + std::u16string(text) + u"\""; }

// The one file a run names, and where its result goes.
struct SingleFile {
  char16_t source[kPathCapacity] = {};
  char16_t destination[kPathCapacity] = {};
  std::u16string displayName;
  // Why the file fails before its conversion, or the run ends: a line and
  // the code.
  std::u16string line;
  int code = 0;
};

enum class Plan { Ready, FileFails, RunEnds };

Plan PlanSingleFile(const Settings& settings, const char16_t* sourcePath, SingleFile* file) {
  file->displayName = platform::FindFileName(sourcePath);
  if (!platform::FullPath(file->source, kPathCapacity, sourcePath)) {
    file->line = platform::SystemErrorText(platform::NameTooLongError());
    file->code = ConvertFileNotRead;
    return Plan::FileFails;
  }
  file->displayName = platform::FindFileName(file->source);
  char16_t sourceDirectory[kPathCapacity];
  CopyPath(sourceDirectory, file->source);
  platform::RemoveFileSpec(sourceDirectory);

  bool named = true;
  if (settings.outputPath[0] == 0) {
    named = NameDestination(settings, file->source, sourceDirectory, true, file->destination);
  } else {
    char16_t output[kPathCapacity];
    if (!platform::FullPath(output, kPathCapacity, settings.outputPath)) {
      named = false;
    } else {
      switch (ClassifyPath(output)) {
        case kWildcardPath:
          file->line = u"Invalid argument: Wildcard in destination file is not allowed!";
          file->code = kExitWildcardDestination;
          return Plan::RunEnds;
        case kExistingDirectory:
          named = NameDestination(settings, file->source, output, SameDirectory(sourceDirectory, output),
                                  file->destination);
          break;
        default:
          // A trailing separator names a folder, and this one is missing.
          if (platform::EndsWithSeparator(settings.outputPath)) {
            file->line = platform::SystemErrorText(platform::PathNotFoundError());
            file->code = ConvertFileNotWritten;
            return Plan::FileFails;
          }
          CopyPath(file->destination, output);
          break;
      }
    }
  }
  if (!named) {
    file->line = platform::SystemErrorText(platform::NameTooLongError());
    file->code = ConvertFileNotWritten;
    return Plan::FileFails;
  }
  return Plan::Ready;
}

// The names of a folder's listing that are the automatic result of another
// source listed there (n00.utf-8.txt beside n00.txt): rewritten from that
// source in this run, never converted themselves. A result whose own source
// is such a name is converted, as the source of a result is.
std::set<std::u16string> ResultsOfOthers(const Settings& settings, const SourceDirectory& directory) {
  std::vector<const std::u16string*> byLength;
  for (const std::u16string& name : directory.files) byLength.push_back(&name);
  // A result's name is longer than its source's.
  std::stable_sort(byLength.begin(), byLength.end(),
                   [](const std::u16string* a, const std::u16string* b) { return a->size() < b->size(); });
  std::set<std::u16string> results;
  for (const std::u16string* name : byLength) {
    if (results.count(platform::FileNameKey(name->c_str())) != 0) continue;
    const std::u16string result = AutomaticName(name->c_str(), settings.destCharsetName);
    if (directory.Lists(result.c_str())) results.insert(platform::FileNameKey(result.c_str()));
  }
  return results;
}

class BatchRun {
 public:
  explicit BatchRun(Settings& settings)
      : settings_(settings),
        options_(ConversionOptionsOf(settings)),
        report_(options_, settings.uiMode && !settings.noMessageBox),
        destinations_(settings) {}

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
  // The folder a pattern run writes the results of `directory` into.
  std::u16string DestinationDirectoryOf(const std::u16string& directory, const char16_t* start,
                                        const char16_t* output) const;

  Settings& settings_;
  const ConversionOptions options_;
  RunReport report_;
  RunDestinations destinations_;
  ProgressLine progress_;
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
      Print(file.line);
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

std::u16string BatchRun::DestinationDirectoryOf(const std::u16string& directory, const char16_t* start,
                                                const char16_t* output) const {
  if (settings_.replaceSource || output[0] == 0) return directory;
  if (!settings_.keepTree || !settings_.recursive) return output;
  // The directories of the walk are the start joined with their names.
  std::u16string below = directory.substr(std::min(directory.size(), std::u16string_view(start).size()));
  while (!below.empty() && (below[0] == platform::kSeparator || below[0] == u'/')) below.erase(0, 1);
  std::u16string mirrored(output);
  if (!below.empty()) {
    if (mirrored.back() != platform::kSeparator) mirrored += platform::kSeparator;
    mirrored += below;
  }
  return mirrored;
}

int BatchRun::RunWildcard(const char16_t* source) {
  char16_t output[kPathCapacity] = {};
  if (settings_.outputPath[0] != 0) {
    switch (ClassifyPath(settings_.outputPath)) {
      case kWildcardPath:
        Print(u"Invalid argument: Wildcard in destination file is not allowed!");
        return kExitWildcardDestination;
      case kPlainPath:
        Print(u"Invalid argument: File as destination for multiple source files are not allowed!");
        return kExitFileForManySources;
      default:
        break;
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

  // One table for the whole run, pointed at each converted file in turn.
  CUserTranslationTable* const owners = Owners();

  SourceWalk walk;
  walk.Walk(start, pattern.c_str(), settings_.recursive, destinations_.log(), destinations_.logName());
  for (const WalkProblem& problem : walk.problems()) {
    if (problem.kind == WalkProblem::Kind::OutOfTree)
      Print(WalkProblemLine(problem));
    else
      report_.FolderFailed(WalkProblemLine(problem));
  }
  for (const SourceDirectory& directory : walk.directories()) {
    const std::u16string destinationDirectory = DestinationDirectoryOf(directory.path, start, output);
    const bool beside = destinationDirectory == directory.path ||
                        SameDirectory(directory.path.c_str(), destinationDirectory.c_str());
    // Results that land among this run's sources elsewhere must not replace
    // one; beside its source a result takes its own name.
    const SourceDirectory* destinationListing =
        settings_.replaceSource || beside ? nullptr : walk.Find(destinationDirectory.c_str());
    const std::set<std::u16string> results =
        beside && !settings_.replaceSource ? ResultsOfOthers(settings_, directory) : std::set<std::u16string>();
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
        report_.Refused(name.c_str(), platform::SystemErrorText(platform::NameTooLongError()),
                        ConvertFileNotWritten);
      } else if (destinationListing != nullptr && destinationListing->Lists(platform::FindFileName(destination)) &&
                 !platform::SameExistingFile(destination, path) && platform::Exists(destination)) {
        report_.Refused(name.c_str(),
                        Quoted(destination) + u" is also a source of this run; " + Quoted(name.c_str()) +
                            u" is not converted onto it.\n",
                        ConvertFileNotWritten);
      } else if (!madeDirectory && !platform::CreateDirectories(destinationDirectory.c_str(), &error)) {
        report_.Refused(name.c_str(),
                        Quoted(destinationDirectory.c_str()) + u": " + platform::SystemErrorText(error),
                        ConvertFileNotWritten);
      } else {
        madeDirectory = true;
        ok = ConvertOne(path, destination, name.c_str(), owners);
      }
      if (!ok && settings_.stopOnError) break;
    }
  }
  return 0;
}

int BatchRun::RunSource(const char16_t* source) {
  switch (ClassifyPath(source)) {
    case kExistingDirectory: {
      if (settings_.uiMode) return kExitSourceIsDirectory;
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
      return RunWildcard(source);
    default:
      return RunSingleFile(source);
  }
}

int BatchRun::Run() {
  if (!settings_.moreSources.empty() && settings_.outputPath[0] != 0) {
    // Several sources go into one folder, as a pattern's do.
    switch (ClassifyPath(settings_.outputPath)) {
      case kWildcardPath:
        Print(u"Invalid argument: Wildcard in destination file is not allowed!");
        return kExitWildcardDestination;
      case kPlainPath:
        Print(u"Invalid argument: File as destination for multiple source files are not allowed!");
        return kExitFileForManySources;
      default:
        break;
    }
  }
  if (const int ended = RunSource(settings_.sourcePath)) return ended;
  for (const std::u16string& source : settings_.moreSources)
    if (const int ended = RunSource(source.c_str())) return ended;
  return report_.Summary();
}

}  // namespace

int RunBatch(Settings& settings) { return BatchRun(settings).Run(); }

namespace {

int LogConflictOf(const Settings& settings, const char16_t* sourcePath, const platform::FileIdentity& log,
                  std::u16string* line) {
  const auto names = [&](const char16_t* path) {
    platform::FileIdentity identity;
    return platform::IdentityOf(platform::FinalPath(path).c_str(), &identity) && identity == log;
  };
  const std::u16string quoted = Quoted(settings.logPath);
  if (ClassifyPath(sourcePath) != kPlainPath) return 0;
  const bool standardInput = sourcePath[0] == u'-' && sourcePath[1] == 0;
  if (standardInput) {
    if (settings.outputPath[0] == 0 || ClassifyPath(settings.outputPath) != kPlainPath || !names(settings.outputPath))
      return 0;
    *line = u"The log " + quoted + u" is the destination of this run; nothing is written into it.\n";
    return kExitNotWritten;
  }
  SingleFile file;
  if (PlanSingleFile(settings, sourcePath, &file) != Plan::Ready) return 0;
  if (names(file.source)) {
    *line = u"The log " + quoted + u" is the source of this run; it is neither converted nor written into.\n";
    return kExitNotRead;
  }
  if (names(file.destination) || (settings.replaceSource && names(file.source))) {
    *line = u"The log " + quoted + u" is the destination of this run; nothing is written into it.\n";
    return kExitNotWritten;
  }
  return 0;
}

}  // namespace

int LogConflict(const Settings& settings, std::u16string* line) {
  platform::FileIdentity log;
  if (settings.logPath[0] == 0 || !platform::IdentityOf(settings.logPath, &log)) return 0;
  if (const int code = LogConflictOf(settings, settings.sourcePath, log, line)) return code;
  for (const std::u16string& source : settings.moreSources)
    if (const int code = LogConflictOf(settings, source.c_str(), log, line)) return code;
  return 0;
}

}  // namespace recodo
