#include "run_plan.h"

#include <algorithm>
#include <vector>

#include "base/quoted.h"
#include "classify_path.h"
#include "convert/convert_file.h"
#include "destination_naming.h"
#include "exit_codes.h"
#include "filter_run.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/system_error.h"

namespace recodo {
namespace {

constexpr const char16_t* kWildcardDestination = u"Invalid argument: Wildcard in destination file is not allowed!";

}  // namespace

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
          file->line = kWildcardDestination;
          file->code = kExitWildcardDestination;
          return Plan::RunEnds;
        case kExistingDirectory:
          named = NameDestination(settings, file->source, output, SameDirectory(sourceDirectory, output),
                                  file->destination);
          break;
        default:
          // A trailing separator names a folder, and this one is missing.
          if (platform::EndsWithSeparator(settings.outputPath)) {
            file->line = Quoted(output) + u": " + platform::SystemErrorText(platform::PathNotFoundError());
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

int ManySourcesDestinationError(const char16_t* outputPath, std::u16string* line) {
  switch (ClassifyPath(outputPath)) {
    case kWildcardPath:
      *line = kWildcardDestination;
      return kExitWildcardDestination;
    case kPlainPath:
      *line = u"Invalid argument: File as destination for multiple source files are not allowed!";
      return kExitFileForManySources;
    default:
      return 0;
  }
}

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

std::u16string DestinationDirectoryOf(const Settings& settings, const std::u16string& directory,
                                      const char16_t* start, const char16_t* output) {
  if (settings.replaceSource || output[0] == 0) return directory;
  if (!settings.keepTree || !settings.recursive) return output;
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
  // A filter's streams may be the log's file too, redirected there.
  platform::FileIdentity stream;
  if (ReadsStandardInput(settings) && platform::StandardStreamIdentity(0, &stream) && stream == log) {
    *line = u"The log " + Quoted(settings.logPath) + u" is the source of this run; it is neither converted nor written into.\n";
    return kExitNotRead;
  }
  if (WritesStandardOutput(settings) && platform::StandardStreamIdentity(1, &stream) && stream == log) {
    *line = u"The log " + Quoted(settings.logPath) + u" is the destination of this run; nothing is written into it.\n";
    return kExitNotWritten;
  }
  if (const int code = LogConflictOf(settings, settings.sourcePath, log, line)) return code;
  for (const std::u16string& source : settings.moreSources)
    if (const int code = LogConflictOf(settings, source.c_str(), log, line)) return code;
  return 0;
}

}  // namespace recodo
