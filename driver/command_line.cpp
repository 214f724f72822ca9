#include "command_line.h"

#include <string>

#include "base/ascii_case.h"
#include "base/unit_text.h"

namespace recodo {
namespace {

constexpr char16_t kQuote = u'"';

// The value after `prefix` when the item starts with it (ASCII case folded).
char16_t* AfterPrefix(char16_t* item, const char16_t* prefix) {
  for (; *prefix != 0; ++prefix, ++item)
    if (FoldAscii(*item) != FoldAscii(*prefix)) return nullptr;
  return item;
}

bool IsWhole(char16_t* item, const char16_t* text) {
  char16_t* rest = AfterPrefix(item, text);
  return rest != nullptr && *rest == 0;
}

// Leading white space, an optional sign, then decimal digits; no digits
// give 0. Values beyond the 32-bit range stop at its ends.
std::int32_t ParseDecimal(const char16_t* text) {
  while (*text == u' ' || (*text >= u'\t' && *text <= u'\r')) ++text;
  bool negative = false;
  if (*text == u'+' || *text == u'-') negative = *text++ == u'-';
  std::int64_t value = 0;
  for (; *text >= u'0' && *text <= u'9'; ++text) {
    value = value * 10 + (*text - u'0');
    if (value > 0x80000000LL) value = 0x80000000LL;
  }
  if (negative) return static_cast<std::int32_t>(-value);
  return value > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<std::int32_t>(value);
}

OptionResult CopyUnquotedPath(char16_t (&buffer)[kPathCapacity], char16_t* value) {
  UnquoteInPlace(value);
  return CopyPath(buffer, value) ? OptionResult::Applied : OptionResult::PathTooLong;
}

}  // namespace

bool LooksLikeOption(const char16_t* item) {
  return (item[0] == u'/' || item[0] == u'-') && item[1] != 0;
}

void UnquoteInPlace(char16_t* text) {
  const std::size_t n = UnitLength(text);
  if (n < 2 || text[0] != kQuote || text[n - 1] != kQuote) return;
  for (std::size_t i = 0; i + 2 < n; ++i) text[i] = text[i + 1];
  text[n - 2] = 0;
}

CommandLineItems SplitCommandLine(char16_t* text) {
  // Items are written back into the text as they are read: an item is never
  // longer than the characters it is read from.
  CommandLineItems out;
  const char16_t* read = text;
  char16_t* write = text;
  const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  while (out.count < kMaxItems) {
    while (blank(*read)) ++read;
    if (*read == 0) break;
    out.items[out.count++] = write;
    // 1 within quotes. Quote marks are counted as Windows counts them: the
    // third in a row is a literal one.
    int quotes = 0;
    while (*read != 0 && !(quotes == 0 && blank(*read))) {
      std::size_t backslashes = 0;
      while (*read == u'\\') ++backslashes, ++read;
      if (*read != kQuote) {
        for (; backslashes > 0; --backslashes) *write++ = u'\\';
        if (*read == 0 || (quotes == 0 && blank(*read))) break;
        *write++ = *read++;
        continue;
      }
      // Backslashes before a quote: each pair is one; an odd one makes the
      // quote a character of the item.
      for (std::size_t i = 0; i < backslashes / 2; ++i) *write++ = u'\\';
      ++read;
      if (backslashes % 2 == 1) {
        *write++ = kQuote;
        continue;
      }
      ++quotes;
      for (; *read == kQuote; ++read) {
        if (++quotes == 3) {
          *write++ = kQuote;
          quotes = 0;
        }
      }
      if (quotes == 2) quotes = 0;
    }
    // The terminator may land on the blank that ended the item, never past
    // what was read.
    const bool more = *read != 0;
    *write++ = 0;
    if (!more) break;
    ++read;
  }
  return out;
}

OptionResult ApplyOption(Settings& s, char16_t* item) {
  if (char16_t* value = AfterPrefix(item, u"/line=")) {
    s.lineBreakName = value;  // quotes, if any, are kept
  } else if (IsWhole(item, u"/nobom")) {
    s.writeBom = false;
  } else if (IsWhole(item, u"/nowait")) {
    s.noMessageBox = true;
  } else if (IsWhole(item, u"/xml")) {
    s.modifyXmlHeader = true;
  } else if (IsWhole(item, u"/html")) {
    s.modifyHtmlMeta = true;
  } else if (IsWhole(item, u"/replace")) {
    s.replaceSource = true;
    s.moveSource = false;
  } else if (char16_t* value = AfterPrefix(item, u"/scs=")) {
    UnquoteInPlace(value);
    s.sourceCharsetName = value;
    s.detectSource = false;
  } else if (char16_t* value = AfterPrefix(item, u"/dcs=")) {
    UnquoteInPlace(value);
    s.destCharsetName = value;
  } else if (char16_t* value = AfterPrefix(item, u"/output=")) {
    return CopyUnquotedPath(s.outputPath, value);
  } else if (IsWhole(item, u"/error-stop")) {
    s.stopOnError = true;
  } else if (IsWhole(item, u"/move")) {
    s.moveSource = true;
  } else if (IsWhole(item, u"/keep-owner")) {
    s.keepSecurity = true;
    s.keepOwner = true;
  } else if (IsWhole(item, u"/keep-dacl")) {
    s.keepSecurity = true;
    s.keepDacl = true;
  } else if (IsWhole(item, u"/silent")) {
    s.noConsole = true;
    s.noMessageBox = true;
    s.silent = true;
  } else if (char16_t* value = AfterPrefix(item, u"/log=")) {
    s.noConsole = true;  // even an empty name: the run prints nowhere
    return CopyUnquotedPath(s.logPath, value);
  } else if (char16_t* value = AfterPrefix(item, u"/loglevel=")) {
    s.logLevel = ParseDecimal(value);
  } else if (IsWhole(item, u"/private.owner-from-prefix") || IsWhole(item, u"/private.ofp")) {
    s.ownerFromPrefix = true;
  } else if (char16_t* value = AfterPrefix(item, u"/private.user-translation-table=")) {
    return CopyPath(s.translationTablePath, value) ? OptionResult::Applied : OptionResult::PathTooLong;
  } else if (char16_t* value = AfterPrefix(item, u"/private.utt=")) {
    return CopyPath(s.translationTablePath, value) ? OptionResult::Applied : OptionResult::PathTooLong;
  } else if (IsWhole(item, u"/r") || IsWhole(item, u"/recursive")) {
    s.recursive = true;
  } else if (IsWhole(item, u"/keep-tree")) {
    s.keepTree = true;
  } else if (IsWhole(item, u"/lossy")) {
    s.allowLossy = true;
  } else if (IsWhole(item, u"/guess")) {
    s.guessSource = true;
  } else if (IsWhole(item, u"/guess-only")) {
    s.guessSource = true;
    s.guessOnly = true;
  } else {
    return OptionResult::Unknown;
  }
  return OptionResult::Applied;
}

}  // namespace recodo
