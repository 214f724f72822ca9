// How a run shows what the conversion of each file reports: printed lines at
// a prompt; in the dialog, message boxes besides.
#pragma once

#include "convert/conversion_reporter.h"
#include "progress_meter.h"

namespace recodo {

class PrintedReports final : public ConversionReporter {
 public:
  void Line(std::u16string_view text) override;
  void OutOfMemory(bool inLineBreaks) override;
  void Finished(bool placed, std::u16string_view losses) override;
  // A file that takes long shows a progress line on an interactive
  // output, erased before anything else is printed about it.
  void Progress(std::uint64_t done, std::uint64_t total) override;

  void BeginFile(const char16_t* name);
  void EndFile();

 private:
  ProgressMeter meter_;
  bool interactive_ = false;
};

class DialogReports final : public ConversionReporter {
 public:
  // "/nowait": no box at all.
  explicit DialogReports(bool boxes) : boxes_(boxes) {}
  void Line(std::u16string_view text) override;
  void OutOfMemory(bool inLineBreaks) override;
  void Finished(bool placed, std::u16string_view losses) override;

 private:
  bool boxes_;
};

}  // namespace recodo
