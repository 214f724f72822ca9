// Generated markup thrown at the declaration rewrite: it ends, gives the same
// text at once and in pieces of any size, and changes at most the span of
// each declaration it rewrites.
#include <gtest/gtest.h>

#include "declaration_test_support.h"

namespace recodo::test {
namespace {

std::u16string RandomMarkup(std::mt19937& random) {
  static const char16_t* const kPieces[] = {
      u"<", u">", u"<?", u"?>", u"<!", u"<!--", u"-->", u"--", u"</", u"/", u"'", u"\"", u"=", u" ", u"\t", u"\r\n",
      u"xml", u"XML", u"meta", u"META", u"encoding", u"ENCODING", u"http-equiv", u"content", u"charset=",
      u"CHARSET=", u"x", u"me", u"xm", u"utf-8", u"é", u"_", u"9", u";", u"\u00A0", u"\u4E2D", u"\xD83D",
      // Whole declarations, so that rewrites happen among the corners.
      u"<?xml version='1.0' encoding='", u"<meta http-equiv='Content-Type' ", u"content=\"text/html; charset=",
      u"<META HTTP-EQUIV=x CONTENT='charset=", u"<?xml encoding=\"", u"<meta charset='", u"charset",
      u"<meta content='text/html; charset=", u"' http-equiv='Content-Type'", u"\" http-equiv=\"x\""};
  std::u16string text;
  const std::size_t count = random() % 80;
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned pick = random() % 100;
    if (pick == 0) {
      text += u'\0';
    } else if (pick == 1) {
      text.append(random() % 300, u'v');  // a long value
    } else {
      text += kPieces[random() % std::size(kPieces)];
    }
  }
  return text;
}

// The result is the input with the units from `start` to some end replaced
// by the name, for some start.
bool IsOneSpanReplaced(const std::u16string& input, const std::u16string& result, const std::u16string& name) {
  if (result.size() < name.size()) return false;
  const std::size_t removed = input.size() + name.size() - result.size();
  if (removed > input.size()) return false;
  for (std::size_t start = 0; start + removed <= input.size(); ++start) {
    if (result.compare(0, start, input, 0, start) != 0) break;
    if (result.compare(start, name.size(), name) == 0 &&
        result.compare(start + name.size(), std::u16string::npos, input, start + removed) == 0)
      return true;
  }
  return false;
}

TEST(DeclarationRewrite, GeneratedMarkup) {
  std::mt19937 random(20261207);
  const std::u16string name = u"utf-16be";
  int rewrites = 0;
  for (int round = 0; round < 3000; ++round) {
    const std::u16string input = RandomMarkup(random);
    const bool xml = round % 3 != 1;
    const bool html = round % 3 != 0;
    const Rewritten whole = RewriteWhole(input, name.c_str(), xml, html);
    ASSERT_EQ(RewriteInPieces(input, name.c_str(), xml, html, random, 1 + round % 9), whole.text)
        << "round " << round;
    if (xml != html) {
      const bool rewritten = xml ? !whole.xmlLeft : !whole.htmlLeft;
      if (rewritten) {
        ++rewrites;
        EXPECT_TRUE(IsOneSpanReplaced(input, whole.text, name)) << "round " << round;
      } else {
        EXPECT_EQ(whole.text, input) << "round " << round;
      }
    }
  }
  // The generator reaches the rewrites, not only the corners.
  EXPECT_GT(rewrites, 50);
}

// Values longer than what is held in memory: the part past the bound comes
// back from the scratch file, cut by pieces anywhere.
TEST(DeclarationRewrite, LongValuesGiveWhatTheWholeTextGives) {
  std::mt19937 random(20261208);
  const std::u16string name = u"utf-8";
  const std::u16string longRun(150000, u'v');
  const std::u16string meta = u"<meta http-equiv=\"Content-Type\" content=\"";
  const std::u16string inputs[] = {
      u"<?xml version=\"1.0\" encoding=\"" + longRun,
      u"<?xml version=\"1.0\" encoding=\"" + longRun + u"\"?><a/>",
      u"<?xml encoding='" + longRun + u">' tail <?xml encoding='x'?>",
      meta + longRun + u"charset=" + longRun + u"\">",
      meta + longRun + u"charset=" + longRun,
      meta + u"text/html; charset=" + longRun + u"\"><p>",
      meta + longRun + u"\" content='charset=z'>",
  };
  for (const std::u16string& input : inputs) {
    const Rewritten whole = RewriteWhole(input, name.c_str(), true, true);
    for (std::size_t maxPiece : {std::size_t(7), std::size_t(70000), std::size_t(400000)})
      ASSERT_EQ(RewriteInPieces(input, name.c_str(), true, true, random, maxPiece), whole.text)
          << "length " << input.size() << ", max piece " << maxPiece;
  }
  // The cases rewrite where they must.
  EXPECT_EQ(RewriteWhole(inputs[1], name.c_str(), true, true).text, u"<?xml version=\"1.0\" encoding=\"utf-8\"?><a/>");
  EXPECT_EQ(RewriteWhole(inputs[3], name.c_str(), true, true).text, meta + longRun + u"charset=utf-8\">");
}

}  // namespace
}  // namespace recodo::test
