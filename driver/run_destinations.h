// What a run has converted and written, and why a destination must not
// take a result: the checks between naming a destination and converting.
#pragma once

#include <optional>
#include <set>
#include <string>

#include "platform/file_system.h"
#include "settings.h"

namespace recodo {

class RunDestinations {
 public:
  explicit RunDestinations(const Settings& settings);

  // The run's log: never converted, never written over.
  bool IsLog(const char16_t* path) const;
  const std::optional<platform::FileIdentity>& log() const { return log_; }
  const char16_t* logName() const { return logName_.c_str(); }

  // A file this run converted or wrote already, reached again under another
  // name (a link, a hard link, a short name): it is converted once.
  bool AlreadyDone(const platform::FileState& source) const;
  // Why `destination` must not take the result of `name`: a line, or
  // nothing when it may.
  std::u16string WhyRefused(const char16_t* destination, const char16_t* name) const;
  // After a result is in place: its source, as it was before, and the
  // result.
  void Done(const std::optional<platform::FileState>& source, const char16_t* destination);

 private:
  // Files are known by their state, not their identity alone: a file that
  // another program deleted meanwhile may leave its number to a new one.
  const Settings& settings_;
  std::set<platform::FileState> converted_;
  std::set<platform::FileState> written_;
  std::optional<platform::FileIdentity> log_;
  std::u16string logName_;
};

}  // namespace recodo
