#include "convert_file.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "base/text_format.h"
#include "convert/temporary_file.h"
#include "platform/file_security.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/read_only_file.h"
#include "platform/writable_file.h"

namespace recodo {
namespace {

// "12 characters of "zh.txt" could not be converted exactly"
std::u16string LossText(std::uint64_t losses, const char16_t* sourcePath) {
  return Decimal(static_cast<long long>(losses)) + u" characters of \"" + platform::FindFileName(sourcePath) +
         u"\" could not be converted exactly";
}

// The result's way into the temporary file, counting its bytes.
class FileSink : public ByteSink {
 public:
  FileSink(platform::WritableFile& target, std::uint64_t* written, platform::ErrorCode* error)
      : target_(target), written_(written), error_(error) {}
  bool Take(const std::uint8_t* bytes, std::size_t length) override {
    if (!target_.Write(bytes, length, error_)) return false;
    *written_ += length;
    return true;
  }

 private:
  platform::WritableFile& target_;
  std::uint64_t* written_;
  platform::ErrorCode* error_;
};

}  // namespace

// KeptSource: the result lost characters and would have taken the source's
// place.
enum class FileConverter::Outcome { Written, NotRead, NotWritten, OutOfMemory, KeptSource };

// Converts the whole source into the open temporary file, counting the
// bytes written.
FileConverter::Outcome FileConverter::ConvertInto(platform::ReadOnlyFile& source, std::uint64_t size,
                                                  platform::WritableFile& target, ConversionReporter& reporter,
                                                  std::uint64_t* written, platform::ErrorCode* error) {
  if (!readBuffer_.Reserve(pieceSize_ + 8)) return Outcome::OutOfMemory;
  std::uint8_t* buffer = readBuffer_.data();
  std::size_t carried = 0;
  std::uint64_t remaining = size;
  FileSink sink(target, written, error);
  for (;;) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, pieceSize_));
    if (platform::ReadUpTo(source, buffer + carried, want) != want) {
      *error = platform::LastError();
      if (*error == 0) *error = platform::ShortReadError();
      return Outcome::NotRead;
    }
    remaining -= want;
    const bool last = remaining == 0;
    std::size_t taken = 0;
    if (!pipeline_.Convert(buffer, carried + want, last, &taken, sink)) {
      if (pipeline_.writeFailed()) return Outcome::NotWritten;
      if (pipeline_.spillError() != 0) {
        *error = pipeline_.spillError();
        return Outcome::NotWritten;
      }
      return Outcome::OutOfMemory;
    }
    if (last) return Outcome::Written;
    reporter.Progress(size - remaining, size);
    carried = carried + want - taken;
    std::memmove(buffer, buffer + taken, carried);
  }
}

ConvertFileResult FileConverter::ConvertFile(const char16_t* sourcePath, const char16_t* destinationPath,
                                             CharsetCode sourceCharset, const char16_t* destinationName,
                                             CharsetCode destinationCharset, const ConversionOptions& switches,
                                             ConversionReporter& reporter, std::uint64_t* sourceSizeOut,
                                             std::uint64_t* destinationSizeOut, std::uint64_t* lossesOut) {
  platform::ReadOnlyFile source;
  std::uint64_t size = 0;
  if (!source.Open(sourcePath) || !source.Size(&size)) {
    reporter.Line(platform::SystemErrorText(platform::LastError()));
    return ConvertFileNotRead;
  }
  // Any size the platform reports is converted: the file is read in pieces.
  if (sourceSizeOut != nullptr) *sourceSizeOut = size;

  std::unique_ptr<platform::CapturedSecurity> security;
  if (switches.keepDacl || switches.keepOwner) security = platform::CaptureSecurity(sourcePath);

  pipeline_.Start(PipelineOptionsFor(switches, sourceCharset, destinationCharset, destinationName));

  // The file the result replaces: the one the system writes through the
  // destination path, past a link, which stays as it is.
  const std::u16string destination = platform::FinalPath(destinationPath);
  // The result takes the source's own place, or the source is deleted
  // after it: then the new file must be on the disk before the old one goes.
  const bool overwritesSource =
      switches.replaceSource || platform::SameExistingFile(sourcePath, destination.c_str());
  const bool deletesSource = switches.moveSource && !overwritesSource;
  const bool durable = overwritesSource || deletesSource;

  std::u16string temporary;
  platform::WritableFile target;
  platform::ErrorCode error = 0;
  Outcome outcome = Outcome::Written;
  std::uint64_t written = 0;
  bool created = false;
  if (!platform::MayReplace(destination.c_str(), &error)) {
    outcome = Outcome::NotWritten;
  } else if (!(created = CreateTemporaryBeside(destination.c_str(), &temporaryCounter_, target, &temporary, &error))) {
    outcome = Outcome::NotWritten;
  } else {
    outcome = ConvertInto(source, size, target, reporter, &written, &error);
    // Closed before the result takes its place: it may be the same file.
    source.Close();
    if (outcome == Outcome::Written && durable && !target.Flush(&error)) outcome = Outcome::NotWritten;
  }
  // A result that lost characters never destroys the original, unless the
  // user said it may.
  const std::uint64_t losses = pipeline_.losses();
  const bool keepsLossySource = outcome == Outcome::Written && losses != 0 && durable && !switches.allowLossy;
  if (keepsLossySource && overwritesSource) outcome = Outcome::KeptSource;
  if (outcome == Outcome::Written) {
    target.TakeAccessFrom(destination.c_str(), sourcePath);
    if (!target.Close(&error) || !platform::PutInPlace(temporary.c_str(), destination.c_str(), durable, &error))
      outcome = Outcome::NotWritten;
  }
  // Only a file this call created is removed: a name that was taken may
  // belong to a run going on beside this one.
  if (outcome != Outcome::Written && created) {
    target.Close(&error);
    platform::RemoveFile(temporary.c_str());
  }
  if (lossesOut != nullptr && (outcome == Outcome::Written || outcome == Outcome::KeptSource)) *lossesOut = losses;

  switch (outcome) {
    case Outcome::OutOfMemory:
      // The line-break and declaration steps word it; the others return
      // quietly.
      if (pipeline_.lineBreaksFailed() || pipeline_.declarationsFailed())
        reporter.OutOfMemory(pipeline_.lineBreaksFailed());
      return ConvertFileOutOfMemory;
    case Outcome::NotRead:
      reporter.Line(platform::SystemErrorText(error));
      return ConvertFileNotRead;
    case Outcome::NotWritten:
      reporter.Line(platform::SystemErrorText(error));
      break;
    case Outcome::KeptSource:
      reporter.Line(LossText(losses, sourcePath) +
                    u"; the source is kept as it was (/lossy replaces it all the same).\n");
      break;
    case Outcome::Written:
      if (destinationSizeOut != nullptr) *destinationSizeOut = written;
      break;
  }
  const bool placed = outcome == Outcome::Written;

  // Never delete the file that now holds the result, however its two paths
  // are spelled.
  if (placed && deletesSource) {
    if (keepsLossySource) {
      reporter.Line(LossText(losses, sourcePath) +
                    u"; the source is kept beside the result (/lossy moves it all the same).\n");
    } else if (!platform::SameExistingFile(sourcePath, destination.c_str())) {
      platform::RemoveFile(sourcePath);
    }
  }

  reporter.Finished(placed, placed && losses != 0 ? LossText(losses, sourcePath) : std::u16string());

  // Only a destination this call produced takes the source's owner and
  // access list; an old file left in place keeps its own.
  if (placed && security)
    platform::ApplySecurity(destination.c_str(), *security, switches.keepDacl, switches.keepOwner);
  return placed && !keepsLossySource ? ConvertFileOk : ConvertFileNotWritten;
}

}  // namespace recodo
