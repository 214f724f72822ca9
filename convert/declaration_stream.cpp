#include "declaration_stream.h"

#include <cstring>

#include "engine/engine.h"
#include "markup_characters.h"

namespace recodo {

using namespace markup;

void DeclarationStream::Start(const char16_t* destinationName, bool rewriteXml, bool rewriteHtml) {
  destinationName_ = destinationName;
  rewriteXml_ = rewriteXml;
  rewriteHtml_ = rewriteHtml;
  stopped_ = !rewriteXml && !rewriteHtml;
  state_ = ScanState::Outside;
  previous_ = u' ';
  position_ = 0;
  UnsetAll();
  httpEquivSeen_ = false;
  holding_ = false;
  held_.Reset();
  charsetEnd_ = 0;
  pendingContent_ = false;
  staged_ = 0;
}

void DeclarationStream::UnsetAll() {
  nameStart_ = nameEnd_ = attrStart_ = attrEnd_ = valueStart_ = kUnset;
  tagName_.reading = attributeName_.reading = false;
}

// What goes out is gathered: the stages after this one (and the file
// written at their end) take it in large pieces, however short the runs
// between tags are. A run too long to gather goes straight on.
bool DeclarationStream::Emit(const std::uint16_t* units, std::size_t count) {
  if (count == 0) return true;
  if (staged_ + count > kStaging && !Flush()) return false;
  if (count >= kStaging) return sink_->Take(units, count);
  std::uint16_t* staging = staging_.data();
  if (count == 1) {
    staging[staged_++] = units[0];
  } else {
    std::memcpy(staging + staged_, units, count * 2);
    staged_ += count;
  }
  return true;
}

bool DeclarationStream::Flush() {
  const std::size_t count = staged_;
  staged_ = 0;
  return count == 0 || sink_->Take(staging_.data(), count);
}

// The held value goes out, its first `count` units of it.
bool DeclarationStream::Release(std::uint64_t count) {
  holding_ = false;
  pendingContent_ = false;
  charsetEnd_ = 0;
  return Flush() && held_.Release(count, *sink_);
}

// The held content value gets the destination's name after its "charset=";
// what followed the value in the tag goes out as it was.
bool DeclarationStream::RewritePendingContent() {
  const std::uint64_t held = held_.size();
  position_ += static_cast<std::int64_t>(destinationName_.size()) -
               static_cast<std::int64_t>(pendingValueEnd_ - pendingCharsetEnd_);
  const bool ok = Flush() && held_.Give(0, pendingCharsetEnd_, *sink_) && EmitName() && Flush() &&
                  held_.Give(pendingValueEnd_, held, *sink_);
  held_.Clear();
  holding_ = false;
  pendingContent_ = false;
  charsetEnd_ = 0;
  return ok;
}

// A name lies from its start up to its end; the other way round it is none.
bool DeclarationStream::Matches(const Name& name, std::int64_t start, std::int64_t end,
                                const char16_t* keyword) const {
  return end >= start && IsKeyword(name.units, name.length, keyword);
}

bool DeclarationStream::Process(const std::uint16_t* units, std::size_t count, bool last, UnitSink& sink) {
  sink_ = &sink;
  if (!staging_.Reserve(kStaging)) return false;
  std::size_t i = 0;
  while (i < count && !stopped_) {
    if (state_ == ScanState::Outside && !holding_) {
      // Between tags only a '<' (or a zero) can change anything: the text
      // up to it goes out at once.
      const std::size_t j = i + engine::UnitsBefore({units + i, count - i}, u'<', 0);
      if (j != i) {
        for (std::size_t k = i; k < j && tagName_.reading && tagName_.length <= kLongestKeyword; ++k)
          tagName_.Add(units[k]);
        for (std::size_t k = i; k < j && attributeName_.reading && attributeName_.length <= kLongestKeyword; ++k)
          attributeName_.Add(units[k]);
        if (!Emit(units + i, j - i)) return false;
        position_ += static_cast<std::int64_t>(j - i);
        previous_ = units[j - 1];
        i = j;
        continue;
      }
    }
    if (!Scan(units[i])) return false;
    ++i;
  }
  if (!Emit(units + i, count - i)) return false;  // past the end of the scan
  if (last && holding_ && !Release()) return false;  // a value that never closed
  return Flush();
}

bool DeclarationStream::Scan(std::uint16_t c) {
  if (c == 0) {  // a zero inside the text ends the scan, as the terminator would
    stopped_ = true;
    if (holding_ && !Release()) return false;
    return Emit(&c, 1);
  }

  bool consumed = true;
  bool tagEnded = false;
  if (c == u'<' && state_ == ScanState::Outside) {
    state_ = ScanState::Tag;
  } else if (c == u'>' && (state_ == ScanState::Tag || state_ == ScanState::EndTag)) {
    state_ = ScanState::Outside;
    UnsetAll();
    tagEnded = true;
  } else if (c == u'>' && state_ == ScanState::ProcessingInstruction && previous_ == u'?') {
    state_ = ScanState::Outside;
    UnsetAll();
    tagEnded = true;
  } else if (c == u'>' && state_ == ScanState::Declaration) {
    state_ = ScanState::Outside;
  } else if (c == u'>' && state_ == ScanState::CommentEnd && previous_ == u'-') {
    state_ = ScanState::Outside;
  } else if (c == u'!' && previous_ == u'<') {
    state_ = ScanState::Declaration;
  } else if (c == u'/' && previous_ == u'<') {
    state_ = ScanState::EndTag;
  } else if (c == u'?' && previous_ == u'<') {
    state_ = ScanState::ProcessingInstruction;
  } else {
    consumed = false;
    if (c == u'-' && state_ == ScanState::Declaration && previous_ == u'-') state_ = ScanState::CommentEnd;
  }
  // A value whose positions were given up will not be rewritten, nor a
  // content value whose tag ended without an http-equiv.
  if (holding_ && (pendingContent_ ? tagEnded : valueStart_ == kUnset) && !Release()) return false;

  if (!consumed && (state_ == ScanState::Tag || state_ == ScanState::ProcessingInstruction)) {
    if (IsNameCharacter(c)) {
      if (nameStart_ == kUnset) {
        nameStart_ = position_;
        tagName_.Begin();
      } else if (attrStart_ == kUnset && nameEnd_ != kUnset) {
        attrStart_ = position_;
        attributeName_.Begin();
      }
    } else if (IsWhiteSpace(c)) {
      if (nameEnd_ == kUnset) {
        nameEnd_ = position_;
        tagName_.reading = false;
      } else if (attrEnd_ == kUnset && attrStart_ != kUnset) {
        attrEnd_ = position_;
        attributeName_.reading = false;
      }
    } else if (c == u'=') {
      if (attrEnd_ == kUnset) {
        attrEnd_ = position_;
        attributeName_.reading = false;
      }
    } else if (IsQuote(c)) {
      if (valueStart_ != kUnset) return Complete(c);
      if (attrEnd_ != kUnset) {
        // A held content value holds on to what follows it as well.
        const bool hold = Open() || pendingContent_;
        if (!Pass(c)) return false;
        holding_ = hold;
        return true;
      }
    }
  }
  return Pass(c);
}

// The current unit goes on: into the names being read, and out (or into the
// held value).
bool DeclarationStream::Pass(std::uint16_t c) {
  if (tagName_.reading) tagName_.Add(c);
  if (attributeName_.reading) attributeName_.Add(c);
  if (holding_) {
    if (!held_.Add(c)) return false;
    // The first "charset=" is looked for as the value comes.
    std::memmove(recent_, recent_ + 1, sizeof recent_ - sizeof recent_[0]);
    recent_[7] = c;
    if (charsetEnd_ == 0 && held_.size() >= 8 && IsKeyword(recent_, 8, u"charset=")) charsetEnd_ = held_.size();
  } else if (!Emit(&c, 1)) {
    return false;
  }
  previous_ = c;
  ++position_;
  return true;
}

// An opening quote; true when the value must be held. Only a value whose
// attribute is already named may be rewritten: positions found inside a
// value never make a matching name.
bool DeclarationStream::Open() {
  valueStart_ = position_ + 1;
  const bool named = nameStart_ != kUnset && nameEnd_ != kUnset && attrStart_ != kUnset;
  const bool meta = rewriteHtml_ && Matches(tagName_, nameStart_, nameEnd_, u"meta");
  return named && ((meta && (Matches(attributeName_, attrStart_, attrEnd_, u"content") ||
                             Matches(attributeName_, attrStart_, attrEnd_, u"charset"))) ||
                   (rewriteXml_ && Matches(tagName_, nameStart_, nameEnd_, u"xml") &&
                    Matches(attributeName_, attrStart_, attrEnd_, u"encoding")));
}

bool DeclarationStream::EmitName() {
  return Emit(reinterpret_cast<const std::uint16_t*>(destinationName_.data()), destinationName_.size());
}

// The closing quote of a value: the attribute is examined, and the value may
// be rewritten before it goes out.
bool DeclarationStream::Complete(std::uint16_t quote) {
  if (nameStart_ != kUnset && nameEnd_ != kUnset && attrStart_ != kUnset && attrEnd_ != kUnset) {
    bool rewritten = false;
    if (rewriteHtml_ && Matches(tagName_, nameStart_, nameEnd_, u"meta")) {
      const bool httpEquiv = Matches(attributeName_, attrStart_, attrEnd_, u"http-equiv");
      if (httpEquiv) httpEquivSeen_ = true;
      if (pendingContent_) {
        // Only the tag's http-equiv counts while its content value waits.
        if (httpEquiv) {
          rewriteHtml_ = false;
          if (!RewritePendingContent()) return false;
        }
        rewritten = true;
      } else if (holding_ && Matches(attributeName_, attrStart_, attrEnd_, u"content")) {
        if (charsetEnd_ != 0 && httpEquivSeen_) {
          rewriteHtml_ = false;
          position_ = valueStart_ + static_cast<std::int64_t>(charsetEnd_ + destinationName_.size());
          if (!Release(charsetEnd_) || !EmitName()) return false;
          rewritten = true;
        } else if (charsetEnd_ != 0) {
          pendingContent_ = true;
          pendingCharsetEnd_ = charsetEnd_;
          pendingValueEnd_ = held_.size();
          rewritten = true;
        }
      } else if (holding_ && Matches(attributeName_, attrStart_, attrEnd_, u"charset")) {
        // The HTML5 form: the whole value is the set's name.
        rewriteHtml_ = false;
        position_ = valueStart_ + static_cast<std::int64_t>(destinationName_.size());
        if (!Release(0) || !EmitName()) return false;
        rewritten = true;
      }
    }
    if (!rewritten && holding_ && rewriteXml_ && Matches(tagName_, nameStart_, nameEnd_, u"xml") &&
        Matches(attributeName_, attrStart_, attrEnd_, u"encoding")) {
      rewriteXml_ = false;
      position_ = valueStart_ + static_cast<std::int64_t>(destinationName_.size());
      if (!Release(0) || !EmitName()) return false;
    }
  }
  if (holding_ && !pendingContent_ && !Release()) return false;
  const bool stop = !rewriteXml_ && !rewriteHtml_;
  attrStart_ = attrEnd_ = valueStart_ = kUnset;
  attributeName_.reading = false;
  if (!Pass(quote)) return false;
  if (stop) stopped_ = true;
  return true;
}

}  // namespace recodo
