// Files of any content converted with any settings: the conversion succeeds
// and gives what converting the text in memory gives.
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
const char16_t* const kLineBreaks[] = {nullptr, u"dos", u"UNIX", u"mac", u"other"};

std::vector<std::uint8_t> ReadBack(const std::u16string& path) {
  std::vector<std::uint8_t> bytes;
  if (std::FILE* file = std::fopen(std::string(path.begin(), path.end()).c_str(), "rb")) {
    int c;
    while ((c = std::fgetc(file)) != EOF) bytes.push_back(static_cast<std::uint8_t>(c));
    std::fclose(file);
  }
  return bytes;
}

// Nothing to show: the fuzzer looks at the files.
struct Unreported final : recodo::ConversionReporter {
  void Line(std::u16string_view) override {}
  void OutOfMemory(bool) override {}
  void Finished(bool, std::u16string_view) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  recodo::ConversionOptions settings;
  const recodo::CharsetCode from = kForms[data[0] % 8];
  const recodo::CharsetCode to = kForms[(data[0] >> 3) % 8];
  settings.writeBom = data[1] & 1;
  settings.rewriteXml = data[1] & 2;
  settings.rewriteHtml = data[1] & 4;
  settings.lineBreakName = kLineBreaks[(data[1] >> 3) % 5];
  static recodo::FileConverter converter;  // reused, as a run reuses it
  converter.SetPieceSize(8 + data[2] % 64);
  Unreported reports;

  const std::u16string source = fuzz::WriteInputFile(data + 3, size - 3, "source.txt");
  const std::u16string destination = source + u".out";
  std::uint64_t sizeIn = 0, sizeOut = 0;
  fuzz::Check(converter.ConvertFile(source.c_str(), destination.c_str(), from, u"utf-8", to, settings, reports, &sizeIn,
                                    &sizeOut) == 0);

  // The same text in one piece, in memory.
  recodo::PipelineOptions options;
  options.source = from;
  options.destination = to;
  options.writeBom = settings.writeBom;
  options.rewriteLineBreaks = settings.lineBreakName != nullptr;
  options.lineBreakType = (data[1] >> 3) % 5 == 4 ? 0 : (data[1] >> 3) % 5;
  options.rewriteXml = settings.rewriteXml;
  options.rewriteHtml = settings.rewriteHtml;
  options.destinationName = u"utf-8";
  recodo::TextPipeline pipeline;
  pipeline.Start(options);
  std::size_t taken = 0;
  std::vector<std::uint8_t> expected;
  recodo::test::BytesInto sink(expected);
  fuzz::Check(pipeline.Convert(data + 3, size - 3, true, &taken, sink));
  fuzz::Check(ReadBack(destination) == expected && sizeOut == expected.size() && sizeIn == size - 3);
  return 0;
}
