// Where the privilege, ownership and access-list lines of a run go. The
// code that writes them does not decide: the run that calls it does.
#pragma once

#include <string_view>

namespace recodo {

class DiagnosticSink {
 public:
  virtual void Write(std::u16string_view text) = 0;

 protected:
  ~DiagnosticSink() = default;
};

}  // namespace recodo
