#include "declaration_stream.h"

#include <cstring>
#include <new>

#include "engine/simd.h"
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
  held_.clear();
  outputLength_ = 0;
}

void DeclarationStream::UnsetAll() {
  nameStart_ = nameEnd_ = attrStart_ = attrEnd_ = valueStart_ = kUnset;
  tagName_.reading = attributeName_.reading = false;
}

bool DeclarationStream::Emit(const std::uint16_t* units, std::size_t count) {
  if (count == 1) {
    output_.data()[outputLength_++] = units[0];
  } else if (count != 0) {
    std::memcpy(output_.data() + outputLength_, units, count * 2);
    outputLength_ += count;
  }
  return true;
}

bool DeclarationStream::Release() {
  holding_ = false;
  Emit(reinterpret_cast<const std::uint16_t*>(held_.data()), held_.size());
  held_.clear();
  return true;
}

// A name lies from its start up to its end; the other way round it is none.
bool DeclarationStream::Matches(const Name& name, std::int64_t start, std::int64_t end,
                                const char16_t* keyword) const {
  return end >= start && IsKeyword(name.units, name.length, keyword);
}

bool DeclarationStream::Process(const std::uint16_t* units, std::size_t count, bool last) {
  outputLength_ = 0;
  // Room for what is held, this piece, and a name put into each of two values.
  if (!output_.Reserve(held_.size() + count + 2 * destinationName_.size() + 1)) return false;
  std::size_t i = 0;
  while (i < count && !stopped_) {
    if (state_ == ScanState::Outside && !holding_) {
      // Between tags only a '<' (or a zero) can change anything: the text
      // up to it goes out at once.
      std::size_t j = i + simd::UnitPrefixWithout(units + i, count - i, u'<', 0);
      while (j < count && units[j] != u'<' && units[j] != 0) ++j;
      if (j != i) {
        for (std::size_t k = i; k < j && tagName_.reading && tagName_.length <= kLongestKeyword; ++k)
          tagName_.Add(units[k]);
        for (std::size_t k = i; k < j && attributeName_.reading && attributeName_.length <= kLongestKeyword; ++k)
          attributeName_.Add(units[k]);
        Emit(units + i, j - i);
        position_ += static_cast<std::int64_t>(j - i);
        previous_ = units[j - 1];
        i = j;
        continue;
      }
    }
    if (!Scan(units[i])) return false;
    ++i;
  }
  Emit(units + i, count - i);  // past the end of the scan
  if (last && holding_) Release();  // a value that never closed
  return true;
}

bool DeclarationStream::Scan(std::uint16_t c) {
  if (c == 0) {  // a zero inside the text ends the scan, as the terminator would
    stopped_ = true;
    if (holding_) Release();
    return Emit(&c, 1);
  }

  bool consumed = true;
  if (c == u'<' && state_ == ScanState::Outside) {
    state_ = ScanState::Tag;
  } else if (c == u'>' && (state_ == ScanState::Tag || state_ == ScanState::EndTag)) {
    state_ = ScanState::Outside;
    UnsetAll();
  } else if (c == u'>' && state_ == ScanState::ProcessingInstruction && previous_ == u'?') {
    state_ = ScanState::Outside;
    UnsetAll();
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
  // A value whose positions were given up will not be rewritten.
  if (holding_ && valueStart_ == kUnset) Release();

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
        const bool hold = Open();
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
    try {
      held_ += static_cast<char16_t>(c);
    } catch (const std::bad_alloc&) {
      return false;
    }
  } else {
    Emit(&c, 1);
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
  return named && ((rewriteHtml_ && httpEquivSeen_ && Matches(tagName_, nameStart_, nameEnd_, u"meta") &&
                            Matches(attributeName_, attrStart_, attrEnd_, u"content")) ||
                           (rewriteXml_ && Matches(tagName_, nameStart_, nameEnd_, u"xml") &&
                            Matches(attributeName_, attrStart_, attrEnd_, u"encoding")));
}

// The closing quote of a value: the attribute is examined, and the value may
// be rewritten before it goes out.
bool DeclarationStream::Complete(std::uint16_t quote) {
  if (nameStart_ != kUnset && nameEnd_ != kUnset && attrStart_ != kUnset && attrEnd_ != kUnset) {
    bool rewritten = false;
    if (rewriteHtml_ && Matches(tagName_, nameStart_, nameEnd_, u"meta")) {
      if (Matches(attributeName_, attrStart_, attrEnd_, u"http-equiv")) {
        httpEquivSeen_ = true;
      } else if (holding_ && httpEquivSeen_ && Matches(attributeName_, attrStart_, attrEnd_, u"content")) {
        const auto* value = reinterpret_cast<const std::uint16_t*>(held_.data());
        for (std::size_t p = 0; p + 8 <= held_.size(); ++p) {
          if (!IsKeyword(value + p, 8, u"charset=")) continue;
          rewriteHtml_ = false;
          held_.resize(p + 8);
          held_ += destinationName_;
          position_ = valueStart_ + static_cast<std::int64_t>(held_.size());
          rewritten = true;
          break;
        }
      }
    }
    if (!rewritten && holding_ && rewriteXml_ && Matches(tagName_, nameStart_, nameEnd_, u"xml") &&
        Matches(attributeName_, attrStart_, attrEnd_, u"encoding")) {
      rewriteXml_ = false;
      held_ = destinationName_;
      position_ = valueStart_ + static_cast<std::int64_t>(held_.size());
    }
  }
  if (holding_) Release();
  const bool stop = !rewriteXml_ && !rewriteHtml_;
  attrStart_ = attrEnd_ = valueStart_ = kUnset;
  attributeName_.reading = false;
  if (!Pass(quote)) return false;
  if (stop) stopped_ = true;
  return true;
}

}  // namespace recodo
