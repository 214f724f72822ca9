#include "charset_resolution.h"

#include "engine/catalogue.h"
#include "base/text_format.h"

namespace recodo {
namespace {

constexpr int kUnknownCharset = 6;

bool Resolve(CharsetCode& code, const char16_t*& name, const char16_t* label, std::u16string& out) {
  if (!GetCharacterSetCode(&code, &name)) {
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
  if (!Resolve(settings.destCharset, settings.destCharsetName, u"Destination", out)) return kUnknownCharset;
  if (settings.detectSource && settings.guessSource) {
    out += u"Source character set: Guess per file\n";
  } else if (settings.detectSource) {
    out += u"Source character set: Auto detect\n";
  } else if (!Resolve(settings.sourceCharset, settings.sourceCharsetName, u"Source", out)) {
    return kUnknownCharset;
  }
  out += u"\n";
  return 0;
}

}  // namespace recodo
