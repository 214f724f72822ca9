// Running the declaration rewrite over a text at once and in pieces.
#pragma once

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "reference/declaration_rewriter.h"
#include "convert/declaration_stream.h"
#include "tests/convert/collecting_sinks.h"

namespace recodo::test {

struct Rewritten {
  std::u16string text;
  bool xmlLeft = false;   // the switches as the rewrite leaves them
  bool htmlLeft = false;
  bool operator==(const Rewritten&) const = default;
};

inline Rewritten RewriteWhole(const std::u16string& input, const char16_t* name, bool xml, bool html) {
  WorkingText text;
  text.buffer.reset(new std::uint16_t[input.size() + 1]());
  std::memcpy(text.buffer.get(), input.data(), input.size() * 2);
  text.view = text.buffer.get();
  text.length = static_cast<std::uint32_t>(input.size() * 2);
  Rewritten out;
  out.xmlLeft = xml;
  out.htmlLeft = html;
  RewriteEncodingDeclarations(text, name, out.xmlLeft, out.htmlLeft);
  out.text.assign(reinterpret_cast<const char16_t*>(text.view), text.length / 2);
  return out;
}

// The text in pieces of 1 to maxPiece units.
inline std::u16string RewriteInPieces(const std::u16string& input, const char16_t* name, bool xml, bool html,
                                      std::mt19937& random, std::size_t maxPiece) {
  DeclarationStream stream;
  stream.Start(name, xml, html);
  std::u16string out;
  UnitsInto<std::u16string> sink(out);
  std::size_t next = 0;
  do {
    const std::size_t piece = std::min<std::size_t>(input.size() - next, 1 + random() % maxPiece);
    const bool last = next + piece == input.size();
    if (stream.active()) {
      stream.Process(reinterpret_cast<const std::uint16_t*>(input.data() + next), piece, last, sink);
    } else {
      out.append(input, next, piece);
    }
    next += piece;
  } while (next < input.size());
  return out;
}

}  // namespace recodo::test
