#include "converter.h"

#include <cstring>
#include <optional>

#include "engine/engine.h"
#include "platform/scratch_file.h"
#include "platform/system_error.h"

namespace recodo {
namespace {

// Counts what reaches the sink.
class CountingSink final : public ByteSink {
 public:
  CountingSink(ByteSink& sink, std::uint64_t* count) : sink_(sink), count_(count) {}
  bool Take(const std::uint8_t* bytes, std::size_t length) override {
    if (!sink_.Take(bytes, length)) return false;
    *count_ += length;
    return true;
  }

 private:
  ByteSink& sink_;
  std::uint64_t* count_;
};

// Where held text goes when memory will not do, as the line that names a
// failure there says it.
std::u16string ScratchPlace() {
  bool fromSetting = false;
  const std::u16string folder = platform::ScratchFolder(&fromSetting);
  return u"The folder for scratch files \"" + folder + u"\"" + (fromSetting ? u" (TMPDIR)" : u"");
}

}  // namespace

// Fills the buffer unless the source ends first; a pipe gives what it has.
bool Converter::Fill(ByteSource& source, std::uint8_t* buffer, std::size_t* got, bool* ended,
                     platform::ErrorCode* error) {
  *got = 0;
  while (*got < pieceSize_) {
    std::size_t read = 0;
    if (!source.Read(buffer + *got, pieceSize_ - *got, &read, error)) return false;
    if (read == 0) {
      *ended = true;
      return true;
    }
    *got += read;
  }
  return true;
}

bool Converter::Identify(ByteSource& source, const ConversionOptions& options, ConversionOutcome* outcome,
                         bool thenConvert) {
  source_ = &source;
  held_.reset();
  ended_ = false;
  outcome->source = engine::Identification{};
  if (options.sourceChoice == SourceSetChoice::Given) {
    outcome->source.set = options.sourceSet;
    return true;
  }
  if (!buffer_.Reserve(pieceSize_ + 8)) {
    outcome->result = ConvertFileOutOfMemory;
    return false;
  }
  const bool rewind = thenConvert && source.Rewindable();
  if (thenConvert && !rewind) held_ = std::make_unique<HeldInput>(holdInMemory_);
  engine::SetIdentifier identifier(options.sourceChoice == SourceSetChoice::Guessed);
  const auto read = [&](std::uint8_t* buffer, std::size_t capacity, std::size_t* got) {
    if (source.Read(buffer, capacity, got, &outcome->error)) return true;
    outcome->result = ConvertFileNotRead;
    return false;
  };
  // What a stream gives is held, to be converted after.
  const auto take = [&](std::span<const std::uint8_t> piece) {
    identifier.Feed(piece);
    if (!held_ || held_->Add(piece.data(), piece.size(), &outcome->error)) return true;
    outcome->result = ConvertFileNotWritten;
    outcome->errorPlace = ScratchPlace();
    return false;
  };
  if (!engine::ReadUntilDecided({buffer_.data(), pieceSize_}, read, take, [&] { return identifier.Decided(); },
                                &ended_))
    return false;
  outcome->source = identifier.Finish();
  if (rewind) {
    if (!source.Rewind()) {
      outcome->error = platform::LastError();
      outcome->result = ConvertFileNotRead;
      return false;
    }
    ended_ = false;
  }
  return true;
}

bool Converter::Convert(ByteSink& sink, const ConversionOptions& options, ConversionOutcome* outcome,
                        ProgressListener* progress, std::uint64_t total) {
  if (!buffer_.Reserve(pieceSize_ + 8)) {
    outcome->result = ConvertFileOutOfMemory;
    return false;
  }
  std::uint8_t* buffer = buffer_.data();
  std::optional<Replay> replay;
  if (held_) replay.emplace(*held_, *source_, ended_);
  ByteSource& input = replay ? static_cast<ByteSource&>(*replay) : *source_;
  CountingSink counted(sink, &outcome->bytesOut);
  outcome->bytesIn = 0;
  outcome->bytesOut = 0;
  pipeline_.Start(PipelineOptionsFor(options, outcome->source.set));
  std::size_t carried = 0;
  bool inputEnded = false;
  for (;;) {
    std::size_t got = 0;
    if (!Fill(input, buffer + carried, &got, &inputEnded, &outcome->error)) {
      outcome->result = ConvertFileNotRead;
      return false;
    }
    outcome->bytesIn += got;
    std::size_t taken = 0;
    if (!pipeline_.Convert(buffer, carried + got, inputEnded, &taken, counted)) {
      if (pipeline_.writeFailed() || pipeline_.spillError() != 0) {
        if (!pipeline_.writeFailed()) {
          outcome->error = pipeline_.spillError();
          outcome->errorPlace = ScratchPlace();
        }
        outcome->result = ConvertFileNotWritten;
      } else {
        outcome->memoryStep = pipeline_.lineBreaksFailed()     ? MemoryStep::LineBreaks
                              : pipeline_.declarationsFailed() ? MemoryStep::Declarations
                                                               : MemoryStep::Quiet;
        outcome->result = ConvertFileOutOfMemory;
      }
      return false;
    }
    if (inputEnded) break;
    if (progress != nullptr) {
      progress->Progress(outcome->bytesIn, total);
      if (progress->StopRequested()) {
        outcome->cancelled = true;
        outcome->result = ConvertFileNotWritten;
        return false;
      }
    }
    carried = carried + got - taken;
    std::memmove(buffer, buffer + taken, carried);
  }
  outcome->losses = pipeline_.losses();
  outcome->lineBreaksRemoved = pipeline_.lineBreaksRemoved();
  return true;
}

bool IdentifySource(ByteSource& source, bool guess, engine::Identification* identification, platform::ErrorCode* error) {
  Converter converter;
  ConversionOptions options;
  options.sourceChoice = guess ? SourceSetChoice::Guessed : SourceSetChoice::Detected;
  ConversionOutcome outcome;
  if (!converter.Identify(source, options, &outcome, false)) {
    // Memory the program could not get has no system error of its own.
    *error = outcome.result == ConvertFileOutOfMemory && outcome.error == 0 ? platform::OutOfMemoryError()
                                                                             : outcome.error;
    return false;
  }
  *identification = outcome.source;
  return true;
}

}  // namespace recodo
