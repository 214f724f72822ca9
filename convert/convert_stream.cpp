#include "convert_stream.h"

#include <cstring>
#include <vector>

#include "convert/growing_buffer.h"
#include "engine/detector.h"
#include "engine/guess.h"
#include "platform/scratch_file.h"

namespace recodo {
namespace {

constexpr std::size_t kPieceSize = std::size_t(256) << 10;

// What detection read ahead: the first bytes in memory, the rest in a
// scratch file, given back in order once the answer is known.
class HeldInput {
 public:
  explicit HeldInput(std::size_t inMemory) : inMemory_(inMemory) {}

  bool Add(const std::uint8_t* bytes, std::size_t length, platform::ErrorCode* error) {
    const std::size_t fits = memory_.size() < inMemory_ ? std::min(length, inMemory_ - memory_.size()) : 0;
    memory_.insert(memory_.end(), bytes, bytes + fits);
    if (fits == length) return true;
    if (!spill_.IsOpen() && !spill_.Open(error)) return false;
    if (!spill_.WriteAt(spilled_, bytes + fits, length - fits, error)) return false;
    spilled_ += length - fits;
    return true;
  }

  // The next held bytes; *got 0 once all are given back.
  bool Take(std::uint8_t* buffer, std::size_t capacity, std::size_t* got, platform::ErrorCode* error) {
    if (given_ < memory_.size()) {
      *got = std::min(capacity, memory_.size() - given_);
      std::memcpy(buffer, memory_.data() + given_, *got);
      given_ += *got;
      return true;
    }
    const std::uint64_t fromSpill = given_ - memory_.size();
    *got = static_cast<std::size_t>(std::min<std::uint64_t>(capacity, spilled_ - fromSpill));
    if (*got != 0 && !spill_.ReadAt(fromSpill, buffer, *got, error)) return false;
    given_ += *got;
    return true;
  }

 private:
  std::size_t inMemory_;
  std::vector<std::uint8_t> memory_;
  platform::ScratchFile spill_;
  std::uint64_t spilled_ = 0;
  std::uint64_t given_ = 0;
};

// The held bytes first, then the rest of the source.
class Replay : public ByteSource {
 public:
  Replay(HeldInput& held, ByteSource& rest, bool restEnded) : held_(held), rest_(rest), restEnded_(restEnded) {}
  bool Read(std::uint8_t* buffer, std::size_t capacity, std::size_t* got, platform::ErrorCode* error) override {
    if (!held_.Take(buffer, capacity, got, error)) return false;
    if (*got != 0 || restEnded_) return true;
    return rest_.Read(buffer, capacity, got, error);
  }

 private:
  HeldInput& held_;
  ByteSource& rest_;
  bool restEnded_;
};

// Counts what reaches the sink.
class CountingSink : public ByteSink {
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

// Fills the buffer unless the source ends first; a pipe gives what it has.
bool Fill(ByteSource& source, std::uint8_t* buffer, std::size_t want, std::size_t* got, bool* ended,
          platform::ErrorCode* error) {
  *got = 0;
  while (*got < want) {
    std::size_t read = 0;
    if (!source.Read(buffer + *got, want - *got, &read, error)) return false;
    if (read == 0) {
      *ended = true;
      return true;
    }
    *got += read;
  }
  return true;
}

}  // namespace

StreamOutcome StreamConverter::Convert(ByteSource& source, ByteSink& sink, PipelineOptions options,
                                       SourceSetChoice choice, std::size_t holdInMemory) {
  StreamOutcome outcome;
  if (!buffer_.Reserve(kPieceSize + 8)) {
    outcome.result = ConvertFileOutOfMemory;
    return outcome;
  }
  std::uint8_t* buffer = buffer_.data();
  HeldInput held(holdInMemory);
  bool ended = false;
  // As a file is detected: pieces until the answer is settled or the input
  // ends.
  const auto feed = [&](auto& detector) {
    while (!ended && !detector.Decided()) {
      std::size_t got = 0;
      if (!Fill(source, buffer, kPieceSize, &got, &ended, &outcome.error)) {
        outcome.result = ConvertFileNotRead;
        return false;
      }
      detector.Feed(buffer, got);
      if (!held.Add(buffer, got, &outcome.error)) {
        outcome.result = ConvertFileNotWritten;
        return false;
      }
    }
    return true;
  };
  if (choice == SourceSetChoice::Detected) {
    Detector detector(true);
    if (!feed(detector)) return outcome;
    const CharsetCode answer = detector.Finish();
    options.source = answer == CharsetIso8859_1 && detector.ControlsSeen() ? CharsetWindows1252 : answer;
  } else if (choice == SourceSetChoice::Guessed) {
    GuessingDetector guesser;
    if (!feed(guesser)) return outcome;
    options.source = guesser.Finish().set;
  }
  outcome.sourceCharset = options.source;

  Replay input(held, source, ended);
  CountingSink counted(sink, &outcome.bytesOut);
  pipeline_.Start(options);
  std::size_t carried = 0;
  bool inputEnded = false;
  for (;;) {
    std::size_t got = 0;
    if (!Fill(input, buffer + carried, kPieceSize, &got, &inputEnded, &outcome.error)) {
      outcome.result = ConvertFileNotRead;
      return outcome;
    }
    outcome.bytesIn += got;
    std::size_t taken = 0;
    if (!pipeline_.Convert(buffer, carried + got, inputEnded, &taken, counted)) {
      if (pipeline_.writeFailed() || pipeline_.spillError() != 0) {
        if (outcome.error == 0) outcome.error = pipeline_.spillError();
        outcome.result = ConvertFileNotWritten;
      } else {
        outcome.result = ConvertFileOutOfMemory;
      }
      return outcome;
    }
    if (inputEnded) break;
    carried = carried + got - taken;
    std::memmove(buffer, buffer + taken, carried);
  }
  outcome.losses = pipeline_.losses();
  return outcome;
}

}  // namespace recodo
