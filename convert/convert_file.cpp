#include "convert_file.h"

#include <memory>
#include <string>

#include "base/quoted.h"
#include "convert/file_source.h"
#include "convert/result_file.h"
#include "platform/file_security.h"
#include "platform/file_system.h"

namespace recodo {
namespace {

ConvertFileResult Failed(ConversionOutcome* outcome, ConvertFileResult result) {
  outcome->result = result;
  return result;
}

// Opens the source once neither path leads through a link planted in a
// shared folder.
ConvertFileResult OpenSource(const char16_t* sourcePath, const char16_t* destinationPath, FileSource* source,
                             ConversionOutcome* outcome) {
  if (!platform::MayFollowLinks(sourcePath, &outcome->error)) {
    outcome->errorPlace = Quoted(sourcePath);
    return ConvertFileNotWritten;
  }
  if (!platform::MayFollowLinks(destinationPath, &outcome->error)) {
    outcome->errorPlace = Quoted(destinationPath);
    return ConvertFileNotWritten;
  }
  if (!source->Open(sourcePath, &outcome->error)) {
    outcome->errorPlace = Quoted(sourcePath);
    return ConvertFileNotRead;
  }
  outcome->bytesIn = source->openedSize();
  return ConvertFileOk;
}

// A result that lost characters or line breaks never destroys the original,
// unless the user said it may.
Refusal RefusalOfLosses(const ConversionOptions& options, const ConversionOutcome& outcome, bool destroysSource) {
  if (!destroysSource || options.allowLossy) return Refusal::None;
  if (outcome.losses != 0) return Refusal::Lossy;
  if (outcome.lineBreaksRemoved != 0) return Refusal::LineBreaksRemoved;
  return Refusal::None;
}

// The end of a /move. Never deletes the file that now holds the result,
// however its two paths are spelled.
void DeleteMovedSource(const char16_t* sourcePath, const std::u16string& destination, ConversionOutcome* outcome) {
  if (platform::SameExistingFile(sourcePath, destination.c_str()) || platform::RemoveFile(sourcePath)) return;
  outcome->error = platform::LastError();
  outcome->errorPlace = Quoted(sourcePath);
  outcome->refusal = Refusal::NotDeleted;
}

}  // namespace

bool IdentifyFile(const char16_t* path, bool guess, engine::Identification* identification, platform::ErrorCode* error) {
  // A link another user planted in a shared folder is not followed to
  // read, as it is not to convert: not even the set of what it points to
  // is told.
  if (!platform::MayFollowLinks(path, error)) return false;
  FileSource source;
  return source.Open(path, error) && IdentifySource(source, guess, identification, error);
}

Refusal RefusalBeforeWriting(const ConversionOptions& options, const engine::Identification& source, bool destroysSource) {
  if (options.sourceChoice == SourceSetChoice::Given) return Refusal::None;
  // What is not text is never guessed as text, nor destroyed for a result.
  if (!source.text && (options.sourceChoice == SourceSetChoice::Guessed || destroysSource)) return Refusal::NotText;
  if (source.guessed && source.confidence < engine::kHighGuessConfidence && destroysSource) return Refusal::WeakGuess;
  // Read in detection's fallback, such a text would become other characters.
  if ((source.hint >= 0 || source.unconfirmed) && destroysSource) return Refusal::ReadsAsAnother;
  return Refusal::None;
}

ConvertFileResult FileConverter::ConvertFile(const char16_t* sourcePath, const char16_t* destinationPath,
                                             const ConversionOptions& options, ConversionOutcome* outcome,
                                             ProgressListener* progress) {
  *outcome = ConversionOutcome{};
  FileSource source;
  const ConvertFileResult opened = OpenSource(sourcePath, destinationPath, &source, outcome);
  if (opened != ConvertFileOk) return Failed(outcome, opened);
  const std::u16string quotedSource = Quoted(sourcePath);

  // The file the result replaces: the one the system writes through the
  // destination path, past a link, which stays as it is.
  const std::u16string destination = platform::FinalPath(destinationPath);
  // The result takes the source's own place, or the source is deleted
  // after it: then the new file must be on the disk before the old one
  // goes, and nothing may have changed the source meanwhile.
  const bool overwritesSource = options.replaceSource || platform::SameExistingFile(sourcePath, destination.c_str());
  // A move deletes the source's name after the result is placed, unless
  // the result took that very name; a second name of the same file (a hard
  // link) is the result's now, and the source's still goes.
  const bool deletesSource = options.moveSource && !options.replaceSource;
  const bool durable = overwritesSource || deletesSource;

  if (!converter_.Identify(source, options, outcome)) {
    if (outcome->errorPlace.empty()) outcome->errorPlace = quotedSource;
    return outcome->result;
  }
  outcome->refusal = RefusalBeforeWriting(options, outcome->source, durable);
  if (outcome->refusal != Refusal::None) return Failed(outcome, ConvertFileNotWritten);

  std::unique_ptr<platform::CapturedSecurity> security;
  if (options.keepDacl || options.keepOwner) security = platform::CaptureSecurity(sourcePath);

  ResultFile result;
  if (!result.Create(destination.c_str(), &temporaryCounter_, &outcome->error)) {
    outcome->errorPlace = result.failedPlace();
    return Failed(outcome, ConvertFileNotWritten);
  }
  if (!converter_.Convert(result, options, outcome, progress, source.openedSize())) {
    if (outcome->cancelled) return outcome->result;
    if (outcome->result == ConvertFileNotWritten && outcome->error == 0) outcome->error = result.writeError();
    if (outcome->errorPlace.empty())
      outcome->errorPlace = outcome->result == ConvertFileNotRead ? quotedSource : result.failedPlace();
    return outcome->result;
  }

  outcome->refusal = RefusalOfLosses(options, *outcome, durable);
  if (outcome->refusal != Refusal::None && overwritesSource) return Failed(outcome, ConvertFileNotWritten);
  // A stop asked for while the last piece went, or while the result went
  // to the disk, is heard before the result takes its place.
  const auto stopped = [&] {
    if (progress == nullptr) return false;
    progress->Progress(outcome->bytesIn, source.openedSize());
    if (!progress->StopRequested()) return false;
    outcome->cancelled = true;
    return true;
  };
  if (stopped()) return Failed(outcome, ConvertFileNotWritten);
  if (!result.Ready(sourcePath, durable, &outcome->error)) {
    outcome->errorPlace = result.failedPlace();
    return Failed(outcome, ConvertFileNotWritten);
  }
  // Nor does one made from bytes that are no longer the source's: the last
  // look, once the result is on the disk, just before it takes its place.
  if (durable && !source.Unchanged(sourcePath)) {
    outcome->refusal = Refusal::SourceChanged;
    return Failed(outcome, ConvertFileNotWritten);
  }
  if (stopped()) return Failed(outcome, ConvertFileNotWritten);
  // Closed before the result takes its place: it may be the same file.
  source.Close();
  if (!result.Place(durable, &outcome->error)) {
    outcome->errorPlace = result.failedPlace();
    return Failed(outcome, ConvertFileNotWritten);
  }
  outcome->placed = true;

  // A lossy /move keeps its source beside the result.
  if (deletesSource && outcome->refusal == Refusal::None) DeleteMovedSource(sourcePath, destination, outcome);

  // Only a destination this call produced takes the source's owner and
  // access list; an old file left in place keeps its own.
  if (security) platform::ApplySecurity(destination.c_str(), *security, options.keepDacl, options.keepOwner);
  return Failed(outcome, outcome->refusal == Refusal::None ? ConvertFileOk : ConvertFileNotWritten);
}

}  // namespace recodo
