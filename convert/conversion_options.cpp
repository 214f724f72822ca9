#include "conversion_options.h"

namespace recodo {

PipelineOptions PipelineOptionsFor(const ConversionOptions& options, CharsetCode source) {
  PipelineOptions pipeline;
  pipeline.source = source;
  pipeline.destination = options.destinationSet;
  pipeline.writeBom = options.writeBom;
  pipeline.rewriteLineBreaks = options.rewriteLineBreaks;
  pipeline.lineBreakType = options.lineBreakType;
  pipeline.rewriteXml = options.rewriteXml;
  pipeline.rewriteHtml = options.rewriteHtml;
  pipeline.destinationName = options.destinationName;
  return pipeline;
}

}  // namespace recodo
