#include "progress_line.h"

#include "output.h"

namespace recodo {

void ProgressLine::BeginFile(const char16_t* name) {
  interactive_ = OutputIsInteractive();
  meter_.Start(name, ProgressMeter::Clock::now());
}

void ProgressLine::EndFile() {
  if (meter_.shown()) ShowProgress(u"");
  meter_.Start(u"", ProgressMeter::Clock::now());
}

void ProgressLine::Progress(std::uint64_t done, std::uint64_t total) {
  if (!interactive_) return;
  if (const auto line = meter_.Update(done, total, ProgressMeter::Clock::now())) ShowProgress(*line);
}

}  // namespace recodo
