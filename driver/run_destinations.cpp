#include "run_destinations.h"

#include "base/quoted.h"
#include "platform/paths.h"

namespace recodo {

RunDestinations::RunDestinations(const Settings& settings) : settings_(settings) {
  platform::FileIdentity identity;
  if (settings.logPath[0] != 0 && platform::IdentityOf(settings.logPath, &identity)) {
    log_ = identity;
    logName_ = platform::FindFileName(settings.logPath);
  }
}

bool RunDestinations::IsLog(const char16_t* path) const {
  if (!log_ || platform::FileNameKey(platform::FindFileName(path)) != platform::FileNameKey(logName_.c_str()))
    return false;
  platform::FileIdentity identity;
  return platform::IdentityOf(path, &identity) && identity == *log_;
}

bool RunDestinations::AlreadyDone(const platform::FileState& source) const {
  return converted_.count(source) != 0 || written_.count(source) != 0;
}

std::u16string RunDestinations::WhyRefused(const char16_t* destination, const char16_t* name) const {
  if (IsLog(destination)) return Quoted(destination) + u" is the log of this run; " + Quoted(name) + u" is not converted onto it.\n";
  platform::FileState existing;
  if (!platform::StateOf(destination, &existing) || written_.count(existing) == 0) return u"";
  // Another source's result, which a flat folder of results gave the same
  // name.
  if (settings_.moveSource)
    return Quoted(destination) + u" was already written in this run; " + Quoted(name) + u" is kept.\n";
  std::u16string line = Quoted(destination) + u" was already written in this run; " + Quoted(name) +
                        u" is not converted onto it.";
  if (settings_.recursive && settings_.outputPath[0] != 0) line += u" /keep-tree keeps the folders apart.";
  return line + u"\n";
}

void RunDestinations::Done(const std::optional<platform::FileState>& source, const char16_t* destination) {
  if (source) converted_.insert(*source);
  platform::FileState state;
  if (platform::StateOf(destination, &state)) written_.insert(state);
}

}  // namespace recodo
