// The declaration rewrite of a text that arrives in pieces. It gives exactly
// the text the whole-text rewrite gives: the scanner's state carries from
// piece to piece, and a value that may be rewritten is held back from its
// opening quote until its closing one (to the end of the text when it never
// closes), in a scratch file past a bound. Everything else passes straight
// through to the sink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "growing_buffer.h"
#include "held_value.h"
#include "unit_sink.h"

namespace recodo {

class DeclarationStream {
 public:
  void Start(const char16_t* destinationName, bool rewriteXml, bool rewriteHtml);
  // True while a declaration may still be rewritten.
  bool active() const { return !stopped_; }

  // Scans a piece and hands the units that are final to the sink; `last`
  // for the end of the text. False when memory or the scratch file failed
  // (spillError() tells which), or the sink refused.
  bool Process(const std::uint16_t* units, std::size_t count, bool last, UnitSink& sink);
  platform::ErrorCode spillError() const { return held_.error(); }

 private:
  enum class ScanState { Outside, Tag, EndTag, ProcessingInstruction, Declaration, CommentEnd };
  static constexpr std::int64_t kUnset = -1;
  static constexpr std::size_t kLongestKeyword = 10;  // "http-equiv"

  // A name as it is read: the units from its start up to its end, as far as
  // a keyword could need them.
  struct Name {
    std::uint16_t units[kLongestKeyword + 1];
    std::size_t length = 0;
    bool reading = false;
    void Begin() { length = 0, reading = true; }
    void Add(std::uint16_t c) {
      if (length < kLongestKeyword + 1) units[length++] = c;
    }
  };

  bool Scan(std::uint16_t c);  // false when memory ran out
  bool Pass(std::uint16_t c);
  bool Open();
  bool Complete(std::uint16_t quote);
  bool Emit(const std::uint16_t* units, std::size_t count);
  bool Flush();
  bool EmitName();
  bool Release(std::uint64_t count = ~std::uint64_t(0));
  bool RewritePendingContent();
  void UnsetAll();
  bool Matches(const Name& name, std::int64_t start, std::int64_t end, const char16_t* keyword) const;

  std::u16string destinationName_;
  bool rewriteXml_ = false;
  bool rewriteHtml_ = false;
  bool stopped_ = true;

  ScanState state_ = ScanState::Outside;
  std::uint16_t previous_ = u' ';
  std::int64_t position_ = 0;  // of the current unit, in the rewritten text
  std::int64_t nameStart_ = kUnset, nameEnd_ = kUnset, attrStart_ = kUnset, attrEnd_ = kUnset;
  std::int64_t valueStart_ = kUnset;
  bool httpEquivSeen_ = false;
  Name tagName_;
  Name attributeName_;

  bool holding_ = false;
  HeldValue held_;  // the value since its opening quote
  // Where its first "charset=" ends, as far as it has come.
  std::uint64_t charsetEnd_ = 0;
  // A meta tag's content value with a charset, written before the tag's
  // http-equiv: held on with what follows it until that comes (and the
  // value is rewritten) or the tag ends. Offsets into the held units.
  bool pendingContent_ = false;
  std::uint64_t pendingCharsetEnd_ = 0;
  std::uint64_t pendingValueEnd_ = 0;
  std::uint16_t recent_[8] = {};  // its last units

  UnitSink* sink_ = nullptr;  // of the piece being scanned
  // Units on their way out, handed on together.
  static constexpr std::size_t kStaging = 32 * 1024;
  GrowingBuffer<std::uint16_t> staging_;
  std::size_t staged_ = 0;
};

}  // namespace recodo
