#include "conversion_switches.h"

#include "base/ascii_case.h"
#include "engine/engine.h"

namespace recodo {

bool LineBreakTypeOf(const char16_t* name, std::int32_t* type) {
  static constexpr struct {
    const char16_t* name;
    std::int32_t type;
  } kNames[] = {{u"dos", engine::kLineBreakCrLf},  {u"crlf", engine::kLineBreakCrLf}, {u"windows", engine::kLineBreakCrLf},
                {u"unix", engine::kLineBreakLf},   {u"lf", engine::kLineBreakLf},     {u"linux", engine::kLineBreakLf},
                {u"mac", engine::kLineBreakCr},    {u"cr", engine::kLineBreakCr}};
  for (const auto& known : kNames) {
    if (EqualIgnoringAsciiCase(name, known.name)) {
      *type = known.type;
      return true;
    }
  }
  *type = 0;
  return false;
}

ConversionOptions ConversionOptionsOf(const Settings& settings) {
  ConversionOptions options;
  options.sourceChoice = !settings.detectSource  ? SourceSetChoice::Given
                         : settings.guessSource ? SourceSetChoice::Guessed
                                                : SourceSetChoice::Detected;
  options.sourceSet = settings.sourceCharset;
  options.destinationSet = settings.destCharset;
  options.destinationName = settings.destCharsetName;
  options.writeBom = settings.writeBom;
  options.rewriteLineBreaks = settings.lineBreakName != nullptr;
  if (options.rewriteLineBreaks) LineBreakTypeOf(settings.lineBreakName, &options.lineBreakType);
  options.rewriteXml = settings.modifyXmlHeader;
  options.rewriteHtml = settings.modifyHtmlMeta;
  options.replaceSource = settings.replaceSource;
  options.moveSource = settings.moveSource;
  options.allowLossy = settings.allowLossy;
  options.keepDacl = settings.keepSecurity && settings.keepDacl;
  options.keepOwner = settings.keepSecurity && settings.keepOwner;
  return options;
}

}  // namespace recodo
