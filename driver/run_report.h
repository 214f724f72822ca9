// The lines a run prints for each file and its summary, for a batch run and
// the filter alike; in the dialog, the message box of the outcome besides.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "convert/conversion_options.h"
#include "convert/conversion_outcome.h"
#include "exit_codes.h"

namespace recodo {

class RunReport {
 public:
  // `boxes`: the dialog's run, which shows the outcome in a message box.
  RunReport(const ConversionOptions& options, bool boxes) : options_(options), boxes_(boxes) {}

  // Prints what became of one conversion and counts it; true for a success.
  bool Converted(const char16_t* displayName, const ConversionOutcome& outcome);
  // A file refused before its conversion: `why` (whole lines, or nothing),
  // then its error line.
  void Refused(const char16_t* displayName, std::u16string_view why, ConvertFileResult result);
  // A file whose conversion succeeded and whose next step failed (`why`):
  // it counts as failed.
  void FailedAfterConversion(const char16_t* displayName, std::u16string_view why, std::uint64_t sourceBytes);
  // A folder of the run that could not be listed: `why`, and it counts as
  // a failure to read.
  void FolderFailed(std::u16string_view why);
  // A line that ends the run before any file (in the dialog, in a box too).
  void Ended(std::u16string_view why);
  // The two summary lines; the run's exit code.
  int Summary();

 private:
  void Fail(const char16_t* displayName, ConvertFileResult result);
  void ShowBox(const char16_t* displayName, const ConversionOutcome& outcome, std::u16string_view why) const;
  // In the dialog's run, an error box with the text.
  void ShowFailureBox(std::u16string_view text) const;

  const ConversionOptions& options_;
  bool boxes_;
  ConvertFileResult lastFailure_ = 0;
  std::int32_t succeeded_ = 0;
  std::int32_t failed_ = 0;
  std::uint64_t totalBytes_ = 0;
};

// The text of a guess: "Windows-1250 (Czech, confidence 40 %)".
std::u16string GuessText(const engine::Identification& source);

}  // namespace recodo
