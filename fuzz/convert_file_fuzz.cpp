// Files of any content converted with any settings, at any kernel level: the
// conversion succeeds and gives what converting the text in memory gives,
// in one piece and always through UTF-16, with the same losses.
#include <cstdio>
#include <string>
#include <vector>

#include "convert/convert_file.h"
#include "convert/text_pipeline.h"
#include "file_input.h"
#include "fuzz_input.h"
#include "tests/convert/collecting_sinks.h"

namespace {

const recodo::CharsetCode kForms[] = {0, 18, 21, 40, 48, 100, 101, 102};

std::vector<std::uint8_t> ReadBack(const std::u16string& path) {
  std::vector<std::uint8_t> bytes;
  if (std::FILE* file = std::fopen(std::string(path.begin(), path.end()).c_str(), "rb")) {
    int c;
    while ((c = std::fgetc(file)) != EOF) bytes.push_back(static_cast<std::uint8_t>(c));
    std::fclose(file);
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  recodo::ConversionOptions settings;
  const recodo::CharsetCode from = kForms[data[0] % 8];
  const recodo::CharsetCode to = kForms[(data[0] >> 3) % 8];
  settings.sourceChoice = recodo::SourceSetChoice::Given;
  settings.sourceSet = from;
  settings.destinationSet = to;
  settings.destinationName = u"utf-8";
  settings.writeBom = data[1] & 1;
  settings.rewriteXml = data[1] & 2;
  settings.rewriteHtml = data[1] & 4;
  // None, CR LF, LF, CR, or a type that removes line breaks.
  const int lineBreaks = (data[1] >> 3) % 5;
  settings.rewriteLineBreaks = lineBreaks != 0;
  settings.lineBreakType = lineBreaks == 4 ? 0 : lineBreaks;
  static recodo::FileConverter converter;  // reused, as a run reuses it
  converter.SetPieceSize(8 + data[2] % 64);

  const std::u16string source = fuzz::WriteInputFile(data + 3, size - 3, "source.txt");
  const std::u16string destination = source + u".out";
  recodo::ConversionOutcome outcome;
  fuzz::AtOneLevel(data[1] >> 6, [&] {
    fuzz::Check(converter.ConvertFile(source.c_str(), destination.c_str(), settings, &outcome) == 0);
  });

  // The same text in one piece, in memory.
  recodo::PipelineOptions options;
  options.source = from;
  options.destination = to;
  options.writeBom = settings.writeBom;
  options.rewriteLineBreaks = settings.rewriteLineBreaks;
  options.lineBreakType = settings.lineBreakType;
  options.rewriteXml = settings.rewriteXml;
  options.rewriteHtml = settings.rewriteHtml;
  options.destinationName = u"utf-8";
  options.straight = false;
  recodo::TextPipeline pipeline;
  pipeline.Start(options);
  std::size_t taken = 0;
  std::vector<std::uint8_t> expected;
  recodo::test::BytesInto sink(expected);
  fuzz::Check(pipeline.Convert(data + 3, size - 3, true, &taken, sink));
  fuzz::Check(ReadBack(destination) == expected && outcome.bytesOut == expected.size() &&
              outcome.bytesIn == size - 3 && outcome.losses == pipeline.losses());
  return 0;
}
