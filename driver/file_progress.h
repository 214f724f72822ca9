// How a run shows the progress of each file it converts: a line on the
// console, or the dialog's progress window.
#pragma once

#include "convert/converter.h"

namespace recodo {

class FileProgress : public ProgressListener {
 public:
  virtual void BeginFile(const char16_t* name) = 0;
  // Called before anything else is said about the file.
  virtual void EndFile() = 0;

 protected:
  ~FileProgress() = default;
};

}  // namespace recodo
