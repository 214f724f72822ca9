#include "conversion_switches.h"

namespace recodo {

ConversionOptions ConversionOptionsOf(const Settings& settings) {
  ConversionOptions options;
  options.writeBom = settings.writeBom;
  options.lineBreakName = settings.lineBreakName;
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
