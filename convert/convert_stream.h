// The conversion of a stream of unknown length, such as standard input,
// into a sink, with the same result as converting the same bytes as a file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "convert/convert_file.h"
#include "convert/text_pipeline.h"
#include "convert/unit_sink.h"
#include "platform/system_error.h"

namespace recodo {

// Where the bytes come from; *got 0 at the end.
class ByteSource {
 public:
  virtual bool Read(std::uint8_t* buffer, std::size_t capacity, std::size_t* got, platform::ErrorCode* error) = 0;

 protected:
  ~ByteSource() = default;
};

struct StreamOutcome {
  ConvertFileResult result = ConvertFileOk;
  CharsetCode sourceCharset = CharsetUtf8;  // the one used: named, or detected
  std::uint64_t bytesIn = 0;
  std::uint64_t bytesOut = 0;
  std::uint64_t losses = 0;
  platform::ErrorCode error = 0;  // of a failed read or write, 0 otherwise
};

// Where the source set comes from: the options, detection, or detection
// with the guess where detection falls back.
enum class SourceSetChoice { Given, Detected, Guessed };

class StreamConverter {
 public:
  // Converts everything the source gives. Unless the set is `Given`, it is
  // the one a file of the same bytes is detected (or guessed) as, and
  // options.source is ignored; input is held back only until that answer
  // cannot change, in memory up to `holdInMemory` bytes and in a private
  // scratch file past it.
  StreamOutcome Convert(ByteSource& source, ByteSink& sink, PipelineOptions options, SourceSetChoice choice,
                        std::size_t holdInMemory = std::size_t(1) << 20);

 private:
  TextPipeline pipeline_;
  GrowingBuffer<std::uint8_t> buffer_;
};

}  // namespace recodo
