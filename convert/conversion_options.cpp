#include "conversion_options.h"

#include "base/ascii_case.h"
#include "recodo/recodo.h"

namespace recodo {
namespace {

std::int32_t LineBreakType(const char16_t* name) {
  if (EqualIgnoringAsciiCase(name, u"dos")) return RECODO_NEWLINE_DOS;
  if (EqualIgnoringAsciiCase(name, u"unix")) return RECODO_NEWLINE_UNIX;
  if (EqualIgnoringAsciiCase(name, u"mac")) return RECODO_NEWLINE_MAC;
  return 0;
}

}  // namespace

PipelineOptions PipelineOptionsFor(const ConversionOptions& switches, CharsetCode source, CharsetCode destination,
                                   const char16_t* destinationName) {
  PipelineOptions options;
  options.source = source;
  options.destination = destination;
  options.writeBom = switches.writeBom;
  options.rewriteLineBreaks = switches.lineBreakName != nullptr;
  if (options.rewriteLineBreaks) options.lineBreakType = LineBreakType(switches.lineBreakName);
  options.rewriteXml = switches.rewriteXml;
  options.rewriteHtml = switches.rewriteHtml;
  options.destinationName = destinationName;
  return options;
}

}  // namespace recodo
