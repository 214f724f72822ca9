#include "declaration_rewriter.h"

#include <cstring>
#include <new>
#include <string>

#include "base/unit_text.h"
#include "convert/markup_characters.h"

namespace recodo {
namespace {

using namespace markup;

enum class ScanState { Outside, Tag, EndTag, ProcessingInstruction, Declaration, CommentEnd };

constexpr std::int64_t kUnset = -1;

std::uint32_t Length(const char16_t* text) { return static_cast<std::uint32_t>(UnitLength(text)); }

// A name from start up to end matches only when it lies the right way round.
bool NameIs(const std::uint16_t* text, std::int64_t start, std::int64_t end, const char16_t* keyword) {
  return end >= start && IsKeyword(text + start, static_cast<std::size_t>(end - start), keyword);
}

}  // namespace

bool ReplaceTextSpan(WorkingText& text, std::uint32_t start, std::uint32_t end, const char16_t* replacement) {
  const std::uint32_t units = text.length / 2;
  const std::uint32_t added = Length(replacement);
  const std::uint32_t newUnits = units - (end - start) + added;
  std::unique_ptr<std::uint16_t[]> buffer(new (std::nothrow) std::uint16_t[newUnits + 1]());
  if (!buffer) return false;
  // Copied by length: a U+0000 inside the text does not end it.
  std::memcpy(buffer.get(), text.view, start * 2);
  std::memcpy(buffer.get() + start, replacement, added * 2);
  std::memcpy(buffer.get() + start + added, text.view + end, (units - end) * 2);
  text.buffer = std::move(buffer);
  text.view = text.buffer.get();
  text.length = newUnits * 2;
  return true;
}

bool RewriteEncodingDeclarations(WorkingText& text, const char16_t* destinationName, bool& rewriteXml,
                                 bool& rewriteHtml) {
  const std::uint32_t nameLength = Length(destinationName);
  ScanState state = ScanState::Outside;
  std::uint16_t previous = u' ';
  std::int64_t nameStart = kUnset, nameEnd = kUnset, attrStart = kUnset, attrEnd = kUnset;
  std::int64_t valueStart = kUnset, valueEnd = kUnset;
  bool httpEquivSeen = false;
  // A content value with a charset before its tag's http-equiv: the span
  // after "charset=" up to its closing quote, rewritten if one follows.
  std::int64_t pendingStart = kUnset, pendingEnd = kUnset;
  const auto unsetAll = [&] {
    nameStart = nameEnd = attrStart = attrEnd = valueStart = valueEnd = kUnset;
    pendingStart = pendingEnd = kUnset;
  };

  // Positions are offsets from the view: they survive a move to a new buffer.
  for (std::int64_t i = 0;; ++i) {
    const std::uint16_t* t = text.view;
    const std::uint16_t c = t[i];
    if (c == 0) break;  // the terminator, or a zero inside the text

    bool consumed = true;
    if (c == u'<' && state == ScanState::Outside) {
      state = ScanState::Tag;
    } else if (c == u'>' && (state == ScanState::Tag || state == ScanState::EndTag)) {
      state = ScanState::Outside;
      unsetAll();
    } else if (c == u'>' && state == ScanState::ProcessingInstruction && previous == u'?') {
      state = ScanState::Outside;
      unsetAll();
    } else if (c == u'>' && state == ScanState::Declaration) {
      state = ScanState::Outside;
    } else if (c == u'>' && state == ScanState::CommentEnd && previous == u'-') {
      state = ScanState::Outside;
    } else if (c == u'!' && previous == u'<') {
      state = ScanState::Declaration;
    } else if (c == u'/' && previous == u'<') {
      state = ScanState::EndTag;
    } else if (c == u'?' && previous == u'<') {
      state = ScanState::ProcessingInstruction;
    } else {
      consumed = false;
      if (c == u'-' && state == ScanState::Declaration && previous == u'-') state = ScanState::CommentEnd;
    }

    if (!consumed && (state == ScanState::Tag || state == ScanState::ProcessingInstruction)) {
      bool complete = false;
      if (IsNameCharacter(c)) {
        if (nameStart == kUnset) {
          nameStart = i;
        } else if (attrStart == kUnset && nameEnd != kUnset) {
          attrStart = i;
        }
      } else if (IsWhiteSpace(c)) {
        if (nameEnd == kUnset) {
          nameEnd = i;
        } else if (attrEnd == kUnset && attrStart != kUnset) {
          attrEnd = i;
        }
      } else if (c == u'=') {
        if (attrEnd == kUnset) attrEnd = i;
      } else if (IsQuote(c)) {
        if (valueStart == kUnset) {
          if (attrEnd != kUnset) valueStart = i + 1;
        } else {
          valueEnd = i;
          complete = true;
        }
      }

      if (complete) {
        if (nameStart != kUnset && nameEnd != kUnset && attrStart != kUnset && attrEnd != kUnset) {
          bool rewritten = false;
          if (rewriteHtml && NameIs(t, nameStart, nameEnd, u"meta")) {
            const bool httpEquiv = NameIs(t, attrStart, attrEnd, u"http-equiv");
            if (httpEquiv) httpEquivSeen = true;
            if (pendingStart != kUnset) {
              // Only the tag's http-equiv counts while its content value waits.
              if (httpEquiv) {
                rewriteHtml = false;
                if (!ReplaceTextSpan(text, static_cast<std::uint32_t>(pendingStart),
                                     static_cast<std::uint32_t>(pendingEnd), destinationName))
                  return false;
                i += nameLength - (pendingEnd - pendingStart);
                pendingStart = pendingEnd = kUnset;
              }
              rewritten = true;
            } else if (NameIs(t, attrStart, attrEnd, u"content")) {
              for (std::int64_t p = valueStart; p < valueEnd; ++p) {
                if (!IsKeyword(t + p, 8, u"charset=")) continue;
                rewritten = true;
                if (!httpEquivSeen) {
                  pendingStart = p + 8;
                  pendingEnd = valueEnd;
                  break;
                }
                rewriteHtml = false;
                if (!ReplaceTextSpan(text, static_cast<std::uint32_t>(p + 8), static_cast<std::uint32_t>(valueEnd),
                                     destinationName))
                  return false;
                i = p + 8 + nameLength;  // the closing quote, where it is now
                break;
              }
            } else if (NameIs(t, attrStart, attrEnd, u"charset")) {
              // The HTML5 form: the whole value is the set's name.
              rewriteHtml = false;
              if (!ReplaceTextSpan(text, static_cast<std::uint32_t>(valueStart), static_cast<std::uint32_t>(valueEnd),
                                   destinationName))
                return false;
              i = valueStart + nameLength;
              rewritten = true;
            }
          }
          if (!rewritten && rewriteXml && NameIs(t, nameStart, nameEnd, u"xml") &&
              NameIs(t, attrStart, attrEnd, u"encoding")) {
            rewriteXml = false;
            if (!ReplaceTextSpan(text, static_cast<std::uint32_t>(valueStart), static_cast<std::uint32_t>(valueEnd),
                                 destinationName))
              return false;
            i = valueStart + nameLength;
          }
        }
        if (!rewriteXml && !rewriteHtml) return true;
        attrStart = attrEnd = valueStart = valueEnd = kUnset;
      }
    }
    previous = c;
  }
  return true;
}

}  // namespace recodo
