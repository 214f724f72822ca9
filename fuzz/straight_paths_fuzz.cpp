// The paths that go straight from bytes to bytes (single-byte and UTF-8 to
// UTF-8, UTF-8 to single-byte and to UTF-16, UTF-16 read where it lies),
// fed in pieces of any size at every kernel level, against the way through
// a copy in UTF-16: the same bytes and the same losses.
#include <vector>

#include "convert/text_pipeline.h"
#include "fuzz_input.h"
#include "tests/convert/collecting_sinks.h"

namespace {

struct Pair {
  recodo::CharsetCode from, to;
};
const Pair kPairs[] = {{100, 100}, {18, 100}, {100, 18},  {0, 100},   {100, 0},   {11, 100},  {100, 11},
                       {17, 100},  {100, 17}, {21, 100},  {100, 21},  {40, 100},  {100, 40},  {48, 100},
                       {100, 48},  {110, 100}, {100, 110}, {112, 100}, {100, 112}, {26, 100},  {100, 101},
                       {100, 102}, {101, 100}, {101, 18},  {101, 102}};

// Feeds the text in pieces of the sizes `next` gives, re-feeding what a
// piece did not take; returns the bytes, and the losses in *losses.
std::vector<std::uint8_t> Convert(const std::uint8_t* text, std::size_t size, const recodo::PipelineOptions& options,
                                  unsigned seed, std::uint64_t* losses) {
  recodo::TextPipeline pipeline;
  pipeline.Start(options);
  std::vector<std::uint8_t> out, buffer;
  recodo::test::BytesInto sink(out);
  std::size_t next = 0;
  unsigned state = seed | 1;
  for (;;) {
    state = state * 1103515245u + 12345u;
    const std::size_t piece = std::min<std::size_t>(size - next, 1 + (state >> 16) % (seed % 97 + 1));
    buffer.insert(buffer.end(), text + next, text + next + piece);
    next += piece;
    const bool last = next == size;
    std::size_t taken = 0;
    fuzz::Check(pipeline.Convert(buffer.data(), buffer.size(), last, &taken, sink));
    if (last) {
      fuzz::Check(taken == buffer.size());
      *losses = pipeline.losses();
      return out;
    }
    buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(taken));
    fuzz::Check(buffer.size() < 8);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const Pair pair = kPairs[data[0] % std::size(kPairs)];
  recodo::PipelineOptions options;
  options.source = pair.from;
  options.destination = pair.to;
  options.writeBom = data[0] & 0x80;
  fuzz::AtEveryLevel([&] {
    std::uint64_t straightLosses = 0, unitLosses = 0;
    options.straight = true;
    const auto straight = Convert(data + 2, size - 2, options, data[1], &straightLosses);
    options.straight = false;
    const auto throughUnits = Convert(data + 2, size - 2, options, data[1] * 7u + 3, &unitLosses);
    fuzz::Check(straight == throughUnits && straightLosses == unitLosses);
  });
  return 0;
}
