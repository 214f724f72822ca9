#include "conversion_reports.h"

#include <string>

#include "output.h"
#include "platform/message_box.h"

namespace recodo {

void PrintedReports::BeginFile(const char16_t* name) {
  interactive_ = OutputIsInteractive();
  meter_.Start(name, ProgressMeter::Clock::now());
}

void PrintedReports::EndFile() {
  if (meter_.shown()) ShowProgress(u"");
  meter_.Start(u"", ProgressMeter::Clock::now());
}

void PrintedReports::Progress(std::uint64_t done, std::uint64_t total) {
  if (!interactive_) return;
  if (const auto line = meter_.Update(done, total, ProgressMeter::Clock::now())) ShowProgress(*line);
}

void PrintedReports::Line(std::u16string_view text) {
  EndFile();
  Print(text);
}

void PrintedReports::OutOfMemory(bool inLineBreaks) {
  EndFile();
  Print(inLineBreaks ? u"Error: The system is out of memory. The operation failed."
                     : u"The system is out of memory. The operation failed.");
}

void PrintedReports::Finished(bool, std::u16string_view) {}

// The lines still go where the run's output goes (a log, or nowhere).
void DialogReports::Line(std::u16string_view text) { Print(text); }

void DialogReports::OutOfMemory(bool) {
  if (!boxes_) return;
  platform::ShowMessageBox(u"The system is out of memory. The operation failed.", u"Out of memory",
                           platform::MessageIcon::Error, true);
}

void DialogReports::Finished(bool placed, std::u16string_view losses) {
  if (!boxes_) return;
  if (placed && !losses.empty()) {
    const std::u16string text = u"Conversion finished!\n\n" + std::u16string(losses) + u".";
    platform::ShowMessageBox(text.c_str(), u"Finished", platform::MessageIcon::Warning, false);
  } else if (placed) {
    platform::ShowMessageBox(u"Conversion finished!", u"Finished", platform::MessageIcon::Information, false);
  } else {
    platform::ShowMessageBox(u"An Error occured during file creation.", u"Error", platform::MessageIcon::Error,
                             false);
  }
}

}  // namespace recodo
