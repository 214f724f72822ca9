// The progress line of a file that takes long, on an interactive output
// only, erased before anything else is printed about the file.
#pragma once

#include "file_progress.h"
#include "progress_meter.h"

namespace recodo {

class ProgressLine final : public FileProgress {
 public:
  void BeginFile(const char16_t* name) override;
  // Erases the line, if one is shown.
  void EndFile() override;
  void Progress(std::uint64_t done, std::uint64_t total) override;

 private:
  ProgressMeter meter_;
  bool interactive_ = false;
};

}  // namespace recodo
