// Markup of any kind: the rewrite in pieces gives the whole-text rewrite's
// text, and ends.
#include <algorithm>
#include <cstring>
#include <string>

#include "reference/declaration_rewriter.h"
#include "convert/declaration_stream.h"
#include "fuzz_input.h"
#include "tests/convert/collecting_sinks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const bool xml = data[0] & 1;
  const bool html = data[0] & 2;
  const std::size_t maxPiece = 1 + data[1] % 17;
  // Mostly one unit a byte, so that the dictionary's words stay words.
  const std::vector<std::uint16_t> units =
      data[0] & 0x80 ? fuzz::AsUnits(data + 2, size - 2) : std::vector<std::uint16_t>(data + 2, data + size);
  if (!xml && !html) return 0;

  recodo::WorkingText whole;
  whole.buffer.reset(new std::uint16_t[units.size() + 1]());
  std::copy(units.begin(), units.end(), whole.buffer.get());
  whole.view = whole.buffer.get();
  whole.length = static_cast<std::uint32_t>(units.size() * 2);
  bool xmlLeft = xml, htmlLeft = html;
  recodo::RewriteEncodingDeclarations(whole, u"utf-8", xmlLeft, htmlLeft);

  recodo::DeclarationStream stream;
  stream.Start(u"utf-8", xml, html);
  std::vector<std::uint16_t> pieces;
  recodo::test::UnitsInto<std::vector<std::uint16_t>> sink(pieces);
  for (std::size_t next = 0, round = 0; next < units.size() || round == 0; ++round) {
    const std::size_t piece = std::min(units.size() - next, 1 + (round * 7 + data[1]) % maxPiece);
    const bool last = next + piece == units.size();
    if (stream.active()) {
      stream.Process(units.data() + next, piece, last, sink);
    } else {
      pieces.insert(pieces.end(), units.begin() + next, units.begin() + next + piece);
    }
    next += piece;
    if (last) break;
  }
  fuzz::Check(pieces.size() == whole.length / 2 && std::equal(pieces.begin(), pieces.end(), whole.view));
  return 0;
}
