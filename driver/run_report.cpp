#include "run_report.h"

#include "base/quoted.h"
#include "base/text_format.h"
#include "engine/engine.h"
#include "output.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/system_error.h"

namespace recodo {
namespace {

std::u16string Ascii(const char* text) { return std::u16string(text, text + std::char_traits<char>::length(text)); }

std::u16string Count(std::uint64_t n) { return Decimal(static_cast<long long>(n)); }

// Why the source was kept, a line; empty when it was not.
std::u16string RefusalText(const char16_t* name, const ConversionOutcome& outcome, const ConversionOptions& options) {
  const bool moved = outcome.placed;  // a /move: the result is in place, the source beside it
  const std::u16string kept = moved ? u"the source is kept beside the result" : u"the source is kept as it was";
  const std::u16string allow = moved ? u" (/lossy moves it all the same).\n" : u" (/lossy replaces it all the same).\n";
  switch (outcome.refusal) {
    case Refusal::None:
      return u"";
    case Refusal::Lossy:
      return Count(outcome.losses) + u" characters of " + Quoted(name) + u" could not be converted exactly; " + kept +
             allow;
    case Refusal::LineBreaksRemoved:
      return Count(outcome.lineBreaksRemoved) + u" line breaks of " + Quoted(name) + u" are removed; " + kept + allow;
    case Refusal::WeakGuess:
      return u"The set of " + Quoted(name) + u" is only a guess, " + GuessText(outcome.source) +
             u"; the source is kept as it was. Name the set with /scs= to convert it.\n";
    case Refusal::ReadsAsAnother: {
      const char16_t* detected = engine::SetName(outcome.source.set);
      return u"Detection found no more than " + std::u16string(detected != nullptr ? detected : u"?") + u" in " +
             Quoted(name) + u", which may read as another set; the source is kept as it was. Name the set with "
             u"/scs= to convert it.\n";
    }
    case Refusal::NotText:
      return Quoted(name) + u" is not text (it holds zero bytes or control characters); " +
             (options.sourceChoice == SourceSetChoice::Guessed ? u"its set is not guessed"
                                                               : u"the source is kept as it was") +
             u". Name its set with /scs= to convert it all the same.\n";
    case Refusal::SourceChanged:
      return Quoted(name) + u" changed while it was converted; the source is kept as it is.\n";
    case Refusal::NotDeleted:
      return Quoted(name) + u" is converted, but the source could not be deleted: it is still there.\n";
  }
  return u"";
}

// "Shift_JIS (Japanese, confidence 99 %)"
std::u16string SetGuessText(CharsetCode code, int language, int confidence) {
  const char16_t* set = engine::SetName(code);
  std::u16string text = set != nullptr ? set : u"?";
  text += u" (";
  if (language >= 0) text += Ascii(engine::LanguageName(language)) + u", ";
  text += u"confidence " + Decimal(confidence) + u" %)";
  return text;
}

// Where detection fell back and the guess reads the file as another set
// for certain: a converted file's lines, and a refused one's, say so.
std::u16string HintLine(const char16_t* name, const ConversionOutcome& outcome) {
  if (outcome.source.hint < 0) return u"";
  const char16_t* set = engine::SetName(outcome.source.hint);
  return u"Hint: " + Quoted(name) + u" reads as " +
         SetGuessText(outcome.source.hint, outcome.source.hintLanguage, outcome.source.hintConfidence) +
         u"; use /guess or /scs=" + (set != nullptr ? set : u"?") + u".\n";
}

// What the run learns about a result that is in place.
std::u16string WarningLines(const char16_t* name, const ConversionOutcome& outcome, const ConversionOptions& options) {
  std::u16string lines;
  if (outcome.losses != 0)
    lines += u"Warning: " + Count(outcome.losses) + u" characters of " + Quoted(name) +
             u" could not be converted exactly.\n";
  if (!outcome.source.text && options.sourceChoice != SourceSetChoice::Given)
    lines += u"Warning: " + Quoted(name) + u" is not text (it holds zero bytes or control characters); it was "
             u"converted all the same.\n";
  if (outcome.source.guessed && outcome.source.confidence < engine::kHighGuessConfidence)
    lines += u"Warning: the set of " + Quoted(name) + u" is only a guess, " + GuessText(outcome.source) +
             u". Name the set with /scs= if it is wrong.\n";
  return lines + HintLine(name, outcome);
}

}  // namespace

std::u16string GuessText(const engine::Identification& source) {
  return SetGuessText(source.set, source.language, source.confidence);
}

void RunReport::Fail(const char16_t* displayName, ConvertFileResult result) {
  Print(u"Error " + Decimal(result) + u": Conversion of \"" + displayName + u"\" failed.\n");
  ++failed_;
  lastFailure_ = result;
}

bool RunReport::Converted(const char16_t* displayName, const ConversionOutcome& outcome) {
  const std::u16string why = RefusalText(displayName, outcome, options_);
  if (boxes_) ShowBox(displayName, outcome, why);
  if (outcome.result != ConvertFileOk) {
    if (outcome.error != 0)
      Print((outcome.errorPlace.empty() ? u"" : outcome.errorPlace + u": ") + platform::SystemErrorText(outcome.error));
    Print(why);
    if (outcome.cancelled) Print(u"The conversion of " + Quoted(displayName) + u" was cancelled; nothing was written.\n");
    if (outcome.source.hint >= 0) Print(HintLine(displayName, outcome));
    // The line-break and declaration steps word their failure; the others
    // fail quietly.
    if (outcome.memoryStep == MemoryStep::LineBreaks)
      Print(u"Error: The system is out of memory. The operation failed.");
    else if (outcome.memoryStep == MemoryStep::Declarations)
      Print(u"The system is out of memory. The operation failed.");
    Fail(displayName, outcome.result);
    return false;
  }
  char16_t size[32];
  platform::FormatByteSize(outcome.bytesIn, size, 32);
  const long long difference = static_cast<long long>(outcome.bytesOut) - static_cast<long long>(outcome.bytesIn);
  Print(u"Success: [" + std::u16string(size) + u" + " + Decimal(difference) + u" Bytes] " + displayName + u"\n");
  Print(WarningLines(displayName, outcome, options_));
  ++succeeded_;
  totalBytes_ += outcome.bytesIn;
  return true;
}

void RunReport::Refused(const char16_t* displayName, std::u16string_view why, ConvertFileResult result) {
  Print(why);
  ShowFailureBox(u"An Error occured during file creation.\n\n" + std::u16string(why));
  Fail(displayName, result);
}

void RunReport::FailedAfterConversion(const char16_t* displayName, std::u16string_view why,
                                      std::uint64_t sourceBytes) {
  Print(why);
  ShowFailureBox(why);
  --succeeded_;
  totalBytes_ -= sourceBytes;
  ++failed_;
  lastFailure_ = ConvertFileNotWritten;
  (void)displayName;
}

void RunReport::FolderFailed(std::u16string_view why) {
  Print(why);
  ShowFailureBox(why);
  ++failed_;
  lastFailure_ = ConvertFileNotRead;
}

namespace {

// The system's reason for a failure, and where: "Access is denied." and the
// path on the next line.
std::u16string ReasonText(const ConversionOutcome& outcome) {
  if (outcome.error == 0) return u"";
  std::u16string text = platform::SystemErrorText(outcome.error);
  if (!outcome.errorPlace.empty()) text += outcome.errorPlace + u"\n";
  return text;
}

// A refusal as the dialog's user meets it: what the dialog lets them do
// instead of the command line's switches.
std::u16string DialogRefusalText(const char16_t* name, const ConversionOutcome& outcome, std::u16string_view why) {
  switch (outcome.refusal) {
    case Refusal::Lossy:
      return Count(outcome.losses) + u" characters of " + Quoted(name) +
             u" could not be converted exactly, so the source is kept as it was. Choose another destination to "
             u"write the converted text beside it.\n";
    case Refusal::LineBreaksRemoved:
      return Count(outcome.lineBreaksRemoved) + u" line breaks of " + Quoted(name) +
             u" would be removed, so the source is kept as it was. Choose another destination to write the "
             u"converted text beside it.\n";
    default:
      return std::u16string(why);
  }
}

}  // namespace

void RunReport::ShowBox(const char16_t* displayName, const ConversionOutcome& outcome, std::u16string_view why) const {
  if (outcome.result == ConvertFileOutOfMemory) {
    if (outcome.memoryStep != MemoryStep::Quiet)
      platform::ShowMessageBox(u"The system is out of memory. The operation failed.", u"Out of memory",
                               platform::MessageIcon::Error, true);
    return;
  }
  if (outcome.cancelled) {
    const std::u16string text = u"The conversion of " + Quoted(displayName) +
                                u" was cancelled. The source and the destination are as they were.";
    platform::ShowMessageBox(text.c_str(), u"Cancelled", platform::MessageIcon::Information, false);
    return;
  }
  if (outcome.result == ConvertFileOk) {
    if (outcome.losses == 0) {
      platform::ShowMessageBox(u"Conversion finished!", u"Finished", platform::MessageIcon::Information, false);
    } else {
      const std::u16string text = u"Conversion finished!\n\n" + Count(outcome.losses) + u" characters of " +
                                  Quoted(displayName) + u" could not be converted exactly.";
      platform::ShowMessageBox(text.c_str(), u"Finished", platform::MessageIcon::Warning, false);
    }
    return;
  }
  // A source that could not be read made no file; the box says why.
  std::u16string text = outcome.result == ConvertFileNotRead ? u"The source file could not be read."
                                                             : u"An Error occured during file creation.";
  const std::u16string reasons = ReasonText(outcome) + DialogRefusalText(displayName, outcome, why);
  if (!reasons.empty()) text += u"\n\n" + reasons;
  ShowFailureBox(text);
}

void RunReport::ShowFailureBox(std::u16string_view text) const {
  if (!boxes_) return;
  std::u16string shown(text);
  while (!shown.empty() && shown.back() == u'\n') shown.pop_back();
  platform::ShowMessageBox(shown.c_str(), u"Error", platform::MessageIcon::Error, false);
}

void RunReport::Ended(std::u16string_view why) {
  Print(why);
  ShowFailureBox(why);
}

int RunReport::Summary() {
  Print(u"\n");
  Print(Decimal(succeeded_) + u" file(s) successfully converted with total size of " +
        Decimal(static_cast<long long>(totalBytes_)) + u" Bytes\n");
  Print(Decimal(failed_) + u" file(s) failed to convert\n");
  ReleaseStreams();
  // With "/silent" the exit code is all a script learns: 0 only when every
  // file attempted was converted.
  return failed_ == 0 ? kExitSuccess : lastFailure_;
}

}  // namespace recodo
