#include "batch_run.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "classify_path.h"
#include "convert/convert_file.h"
#include "destination_naming.h"
#include "engine/catalogue.h"
#include "linked_list.h"
#include "output.h"
#include "text_format.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/system_error.h"
#include "recodo/recodo.h"
#include "security/privileges.h"
#include "security/user_translation_table.h"

namespace recodo {
namespace {

struct RunCounters {
  ConvertFileResult result = 0;
  std::int32_t succeeded = 0;
  std::int32_t failed = 0;
  std::uint64_t totalBytes = 0;
};

class BatchRun {
 public:
  explicit BatchRun(Settings& settings) : settings_(settings) {}

  int Run();

 private:
  int RunSingleFile();
  int RunWildcard();
  // Converts one source and prints its line; false for a failure.
  bool ConvertOne(const char16_t* sourcePath, const char16_t* destination, const char16_t* displayName);
  void Fail(ConvertFileResult result, const char16_t* displayName);
  int Summary();

  Settings& settings_;
  RunCounters counters_;
  // Files this run has written: never converted again, and with "/move"
  // never overwritten by a later source.
  std::set<platform::FileIdentity> written_;
};

void BatchRun::Fail(ConvertFileResult result, const char16_t* displayName) {
  Print(u"Error " + Decimal(result) + u": Conversion of \"" + displayName + u"\" failed.\n");
  ++counters_.failed;
  counters_.result = result;
}

bool BatchRun::ConvertOne(const char16_t* sourcePath, const char16_t* destination, const char16_t* displayName) {
  if (settings_.moveSource) {
    platform::FileIdentity existing;
    if (platform::IdentityOf(destination, &existing) && written_.count(existing) != 0) {
      Print(u"\"" + std::u16string(destination) + u"\" was already written in this run; \"" + displayName +
            u"\" is kept.\n");
      Fail(ConvertFileNotWritten, displayName);
      return false;
    }
  }
  if (settings_.detectSource) {
    settings_.sourceCharset = DetectCharacterSetByFile(reinterpret_cast<const std::uint16_t*>(sourcePath));
    settings_.sourceCharsetName = GetCharacterSetName(settings_.sourceCharset);
  }
  std::uint32_t sourceBytes = 0;
  std::uint32_t destinationBytes = 0;
  const ConvertFileResult result = ConvertFile(sourcePath, destination, settings_.sourceCharset,
                                               settings_.destCharsetName, settings_.destCharset, &sourceBytes,
                                               &destinationBytes);
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
  ++counters_.succeeded;
  counters_.totalBytes += sourceBytes;
  counters_.result = result;
  return true;
}

int BatchRun::RunSingleFile() {
  char16_t source[kPathCapacity];
  char16_t sourceDirectory[kPathCapacity];
  const char16_t* displayName = platform::FindFileName(settings_.sourcePath);
  if (!platform::CanonicalizePath(source, kPathCapacity, settings_.sourcePath)) {
    Print(platform::SystemErrorText(platform::NameTooLongError()));
    Fail(ConvertFileNotRead, displayName);
    return Summary();
  }
  displayName = platform::FindFileName(source);
  CopyPath(sourceDirectory, source);
  platform::RemoveFileSpec(sourceDirectory);
  if (sourceDirectory[0] == 0 && !platform::CurrentDirectory(sourceDirectory, kPathCapacity)) {
    Print(platform::SystemErrorText(platform::NameTooLongError()));
    Fail(ConvertFileNotWritten, displayName);
    return Summary();
  }

  char16_t destination[kPathCapacity];
  bool named = true;
  if (settings_.outputPath[0] == 0) {
    named = NameDestination(settings_, source, sourceDirectory, sourceDirectory, destination);
  } else {
    char16_t output[kPathCapacity];
    if (!platform::CanonicalizePath(output, kPathCapacity, settings_.outputPath)) {
      named = false;
    } else {
      switch (ClassifyPath(output)) {
        case kWildcardPath:
          Print(u"Invalid argument: Wildcard in destination file is not allowed!");
          return 4;
        case kExistingDirectory:
          named = NameDestination(settings_, source, sourceDirectory, output, destination);
          break;
        default:
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
    AdjustProcessPrivileges();
    CUserTranslationTable table(settings_.translationTablePath, destination);
    table.ApplyOwnerFromPrefix(true);
  }
  return Summary();
}

int BatchRun::RunWildcard() {
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
  }
  const std::u16string pattern(platform::FindFileName(settings_.sourcePath));
  char16_t start[kPathCapacity];
  CopyPath(start, settings_.sourcePath);
  platform::RemoveFileSpec(start);
  if (platform::IsRelativePath(start)) {
    char16_t joined[kPathCapacity];
    if (!platform::CurrentDirectory(joined, kPathCapacity) ||
        (start[0] != 0 && !platform::AppendPath(joined, kPathCapacity, start))) {
      Print(platform::SystemErrorText(platform::NameTooLongError()));
      return Summary();
    }
    CopyPath(start, joined);
  }

  // One table for the whole run, pointed at each converted file in turn.
  std::unique_ptr<CUserTranslationTable> owners;
  if (settings_.ownerFromPrefix) {
    AdjustProcessPrivileges();
    owners = std::make_unique<CUserTranslationTable>(settings_.translationTablePath, nullptr);
  }

  // Directories still to scan, the most recent first: a depth-first walk.
  CLinkedList<std::u16string*> pending(false);
  pending.Add(new std::u16string(start));
  std::set<platform::FileIdentity> scanned;  // links may lead back up the tree
  std::vector<platform::DirectoryEntry> entries;
  while (auto* node = pending.RemoveTail()) {
    std::u16string* directory = node->GetData();
    node->Delete();
    platform::FileIdentity identity;
    const bool known = platform::IdentityOf(directory->c_str(), &identity);
    if (known && !scanned.insert(identity).second) {
      delete directory;
      continue;
    }
    const char16_t* destinationDirectory =
        settings_.replaceSource || settings_.outputPath[0] == 0 ? directory->c_str() : settings_.outputPath;
    // The entries are read before any file is written, so the run never
    // meets its own output.
    platform::ListDirectory(directory->c_str(), &entries);
    for (const platform::DirectoryEntry& entry : entries) {
      char16_t path[kPathCapacity];
      const bool joined = CopyPath(path, directory->c_str()) &&
                          platform::AppendPath(path, kPathCapacity, entry.name.c_str());
      if (entry.isDirectory) {
        if (!settings_.recursive) continue;
        if (!joined) {
          Print(u"Skipped, the path is too long: " + *directory + platform::kSeparator + entry.name + u"\n");
          continue;
        }
        pending.Add(new std::u16string(path));
        continue;
      }
      if (!platform::MatchesPattern(entry.name.c_str(), pattern.c_str())) continue;
      platform::FileIdentity fileIdentity;
      if (joined && platform::IdentityOf(path, &fileIdentity) && written_.count(fileIdentity) != 0) continue;
      char16_t destination[kPathCapacity];
      bool ok;
      if (!joined || !NameDestination(settings_, path, directory->c_str(), destinationDirectory, destination)) {
        Print(platform::SystemErrorText(platform::NameTooLongError()));
        Fail(joined ? ConvertFileNotWritten : ConvertFileNotRead, entry.name.c_str());
        ok = false;
      } else {
        ok = ConvertOne(path, destination, entry.name.c_str());
        if (ok && owners) {
          owners->targetPath = destination;
          owners->ApplyOwnerFromPrefix(true);
        }
      }
      if (!ok && settings_.stopOnError) break;
    }
    delete directory;
  }
  return Summary();
}

int BatchRun::Summary() {
  Print(u"\n");
  Print(Decimal(counters_.succeeded) + u" file(s) successfully converted with total size of " +
        Decimal(static_cast<long long>(counters_.totalBytes)) + u" Bytes\n");
  Print(Decimal(counters_.failed) + u" file(s) failed to convert\n");
  ReleaseStreams();
  return counters_.result;
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
