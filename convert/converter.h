// The conversion of one source, a file or a stream, into a sink: the set
// is taken, detected or guessed from the bytes the converter itself reads,
// then all of them are converted in pieces. Files and the standard input
// go through this one converter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "convert/byte_source.h"
#include "convert/conversion_options.h"
#include "convert/conversion_outcome.h"
#include "convert/growing_buffer.h"
#include "convert/held_input.h"
#include "convert/text_pipeline.h"
#include "convert/unit_sink.h"
#include "engine/engine.h"

namespace recodo {

// Told how far a long conversion has come: `done` bytes of the `total` the
// source said it holds (0 when it cannot say).
class ProgressListener {
 public:
  virtual void Progress(std::uint64_t done, std::uint64_t total) = 0;
  // Asked after each report: true stops the conversion, which then fails
  // as cancelled and leaves no file.
  virtual bool StopRequested() { return false; }

 protected:
  ~ProgressListener() = default;
};

class Converter {
 public:
  // Reads the source until its set is settled, as the options choose it,
  // into outcome->source. False when the source could not be read.
  // `thenConvert`: Convert follows, and gets every byte read here again.
  bool Identify(ByteSource& source, const ConversionOptions& options, ConversionOutcome* outcome,
                bool thenConvert = true);
  // Then converts all of the source, from its first byte, into the sink.
  // False for a failure, which the outcome tells.
  bool Convert(ByteSink& sink, const ConversionOptions& options, ConversionOutcome* outcome,
               ProgressListener* progress = nullptr, std::uint64_t total = 0);

  // The size of the pieces a source is read in; tests make it small.
  void SetPieceSize(std::size_t bytes) { pieceSize_ = bytes < 8 ? 8 : bytes; }
  // How much of a stream identification holds in memory, past which it
  // holds it in a scratch file.
  void SetHoldInMemory(std::size_t bytes) { holdInMemory_ = bytes; }

 private:
  bool Fill(ByteSource& source, std::uint8_t* buffer, std::size_t* got, bool* ended, platform::ErrorCode* error);

  // Large enough that the system calls cost nothing, small enough that all
  // buffers of a piece (up to about 4.5 times its size) stay near the caches.
  std::size_t pieceSize_ = engine::kReadPiece;
  std::size_t holdInMemory_ = std::size_t(1) << 20;
  TextPipeline pipeline_;
  GrowingBuffer<std::uint8_t> buffer_;
  // Between Identify and Convert: where the bytes come from again.
  ByteSource* source_ = nullptr;
  std::unique_ptr<HeldInput> held_;
  bool ended_ = false;
};

// The set the conversion of `source` would read it in, read as the
// conversion reads it; false, with the system's reason, when it cannot be
// read.
bool IdentifySource(ByteSource& source, bool guess, engine::Identification* identification, platform::ErrorCode* error);

}  // namespace recodo
