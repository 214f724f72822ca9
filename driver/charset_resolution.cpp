#include "charset_resolution.h"

#include "base/text_format.h"
#include "engine/engine.h"
#include "exit_codes.h"

namespace recodo {
namespace {

bool Resolve(CharsetCode& code, const char16_t*& name, const char16_t* label, std::u16string& out) {
  if (!engine::FindSet(&name, &code)) {
    out += u"Error 6: Character set \"";
    out += name;
    out += u"\" is unknown.";
    return false;
  }
  out += label;
  out += u" character set: \"";
  out += name;
  out += u"\" (Internal code ";
  out += Decimal(code);
  out += u")\n";
  return true;
}

}  // namespace

int ResolveCharsets(Settings& settings, std::u16string& out) {
  if (!Resolve(settings.destCharset, settings.destCharsetName, u"Destination", out)) return kExitUnknownCharset;
  if (settings.detectSource && settings.guessSource) {
    out += u"Source character set: Guess per file\n";
  } else if (settings.detectSource) {
    out += u"Source character set: Auto detect\n";
  } else if (!Resolve(settings.sourceCharset, settings.sourceCharsetName, u"Source", out)) {
    return kExitUnknownCharset;
  }
  out += u"\n";
  return 0;
}

}  // namespace recodo
