// Text the benchmarks generate for themselves: sentences of common words in
// several scripts, cut to a requested size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

enum class Script { English, French, Russian, Chinese, Emoji };

const char* ScriptName(Script script);

// UTF-8 text of about `bytes` bytes (never more), ending on a whole character,
// with a line break about every 70 bytes.
std::string MakeUtf8Text(Script script, std::size_t bytes);

std::vector<std::uint16_t> ToUtf16(const std::string& utf8);

}  // namespace bench
