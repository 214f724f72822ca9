// Text the benchmarks generate for themselves: sentences of common words in
// several scripts, with CR LF line breaks, cut to a requested size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

enum class Script { English, French, Russian, Chinese, Emoji, Japanese, Traditional, Korean };

const char* ScriptName(Script script);

// UTF-8 text of about `bytes` bytes (never more), ending on a whole character,
// with a CR LF about every 70 bytes.
std::string MakeUtf8Text(Script script, std::size_t bytes);

std::vector<std::uint16_t> ToUtf16(const std::string& utf8);

// Where consecutive pieces of at most `most` bytes end, cut on character
// boundaries: of UTF-8 text, of UTF-16 units (a pair is never cut), or of a
// single-byte text.
std::vector<std::size_t> Utf8PieceEnds(const std::string& utf8, std::size_t pieces, std::size_t most);
std::vector<std::size_t> Utf16PieceEnds(const std::vector<std::uint16_t>& units, std::size_t pieces,
                                        std::size_t most);
std::vector<std::size_t> BytePieceEnds(std::size_t length, std::size_t pieces, std::size_t most);

}  // namespace bench
