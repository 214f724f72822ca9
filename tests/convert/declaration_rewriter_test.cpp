// The declaration rewrite on the cases users meet and the corners of its
// scanner, each at once and in pieces down to one unit.
#include <gtest/gtest.h>

#include "declaration_test_support.h"

namespace recodo::test {
namespace {

struct Case {
  const char16_t* input;
  bool xml, html;
  const char16_t* expected;
};

const Case kCases[] = {
    // The ordinary declarations.
    {u"<?xml version='1.0' encoding='windows-1252'?><a/>", true, false,
     u"<?xml version='1.0' encoding='utf-16'?><a/>"},
    {u"<meta http-equiv='Content-Type' content='text/html; charset=ISO-8859-1'>", false, true,
     u"<meta http-equiv='Content-Type' content='text/html; charset=utf-16'>"},
    {u"<META HTTP-EQUIV='Content-Type' CONTENT='text/html; CHARSET=iso-8859-1'>", false, true,
     u"<META HTTP-EQUIV='Content-Type' CONTENT='text/html; CHARSET=utf-16'>"},
    {u"<meta http-equiv=\"x\" content=\"text/html; charset=x; level=1\">", false, true,
     u"<meta http-equiv=\"x\" content=\"text/html; charset=utf-16\">"},
    // content before http-equiv in the same tag is left, unless an earlier
    // meta tag had one.
    {u"<meta content='charset=a' http-equiv='b'>", false, true, u"<meta content='charset=utf-16' http-equiv='b'>"},
    {u"<meta content=\"text/html; charset=windows-1252\" http-equiv=\"Content-Type\">", false, true,
     u"<meta content=\"text/html; charset=utf-16\" http-equiv=\"Content-Type\">"},
    {u"<meta content='charset=a' name='b'><meta http-equiv='c'>", false, true,
     u"<meta content='charset=a' name='b'><meta http-equiv='c'>"},  // no http-equiv in its own tag
    {u"<meta content='charset=a' charset='c' http-equiv='b'>", false, true,
     u"<meta content='charset=utf-16' charset='c' http-equiv='b'>"},  // the waiting content value first
    {u"<meta http-equiv='b'><meta content='charset=a'>", false, true,
     u"<meta http-equiv='b'><meta content='charset=utf-16'>"},
    {u"<meta charset='iso-8859-1'>", false, true, u"<meta charset='utf-16'>"},
    {u"<META CHARSET=\"windows-1252\"><meta charset='b'>", false, true, u"<META CHARSET=\"utf-16\"><meta charset='b'>"},
    {u"<meta charset=windows-1252>", false, true, u"<meta charset=windows-1252>"},  // unquoted: left
    {u"<?xml version='1.0' encoding=UTF-8?>", true, false, u"<?xml version='1.0' encoding=UTF-8?>"},
    // A value ends at the next quote of either kind.
    {u"<?xml encoding=\"ab'cd\"?>", true, false, u"<?xml encoding=\"utf-16'cd\"?>"},
    // Only the first of each kind.
    {u"<?xml encoding='a'?><?xml encoding='b'?>", true, false, u"<?xml encoding='utf-16'?><?xml encoding='b'?>"},
    {u"<meta http-equiv='x' content='charset=a'><meta http-equiv='x' content='charset=b'>", false, true,
     u"<meta http-equiv='x' content='charset=utf-16'><meta http-equiv='x' content='charset=b'>"},
    // Both kinds in one file.
    {u"<?xml encoding='a'?><meta http-equiv='x' content='charset=b'>", true, true,
     u"<?xml encoding='utf-16'?><meta http-equiv='x' content='charset=utf-16'>"},
    // Inside a comment, "<?" still starts an instruction.
    {u"<!-- <?xml version='1.0' encoding='x'?> -->", true, false, u"<!-- <?xml version='1.0' encoding='utf-16'?> -->"},
    // White space before the name; values without names; the whole keyword.
    {u"< meta http-equiv='x' content='charset=a'>", false, true, u"< meta http-equiv='x' content='charset=a'>"},
    {u"<meta ='x'><meta =''>", false, true, u"<meta ='x'><meta =''>"},
    {u"<me http-equiv='x' content='charset=a'><?xm encoding='a'?><?x encoding='a'?>", true, true,
     u"<me http-equiv='x' content='charset=a'><?xm encoding='a'?><?x encoding='a'?>"},
    {u"<?xml encodingx='a'?><metas http-equiv='x' content='charset=a'>", true, true,
     u"<?xml encodingx='a'?><metas http-equiv='x' content='charset=a'>"},
    // Not found past a zero.
    {u"ab\0<?xml encoding='a'?>", true, false, nullptr},
    // Unbalanced quotes and unterminated tags end quietly.
    {u"<?xml encoding='abc", true, false, u"<?xml encoding='abc"},
    {u"<meta http-equiv='x' content='charset=abc", false, true, u"<meta http-equiv='x' content='charset=abc"},
    {u"<?xml encoding='a", true, true, u"<?xml encoding='a"},
    {u"<a b='>'", true, true, u"<a b='>'"},
    // A '>' inside a value ends a tag, but not an instruction.
    {u"<meta http-equiv='x'><meta content='text>charset=b' x='c'>", false, true,
     u"<meta http-equiv='x'><meta content='text>charset=b' x='c'>"},
    {u"<?xml encoding='a>b' x='c'?>", true, false, u"<?xml encoding='utf-16' x='c'?>"},
    // A value may span a declaration and reach into the next tag: the
    // positions survive them.
    {u"<?xml encoding='a<!x><b'?>", true, false, u"<?xml encoding='utf-16'?>"},
};

std::u16string Text(const char16_t* literal, std::size_t length) { return std::u16string(literal, length); }

TEST(DeclarationRewrite, CasesGiveTheirTextAtOnceAndInPieces) {
  std::mt19937 random(42);
  for (const Case& c : kCases) {
    std::u16string input(c.input);
    if (c.expected == nullptr) input = Text(u"ab\0<?xml encoding='a'?>", 23);  // holds a zero
    const std::u16string expected = c.expected == nullptr ? input : std::u16string(c.expected);
    const Rewritten whole = RewriteWhole(input, u"utf-16", c.xml, c.html);
    EXPECT_EQ(whole.text, expected) << std::string(input.begin(), input.end());
    for (std::size_t maxPiece : {1, 2, 3, 7, 100})
      EXPECT_EQ(RewriteInPieces(input, u"utf-16", c.xml, c.html, random, maxPiece), expected)
          << std::string(input.begin(), input.end()) << " in pieces of up to " << maxPiece;
  }
}

TEST(DeclarationRewrite, SwitchesTurnOffWhenTheirDeclarationIsRewritten) {
  Rewritten r = RewriteWhole(u"<?xml version='1.0' encoding='windows-1252'?>", u"utf-16", true, true);
  EXPECT_FALSE(r.xmlLeft);
  EXPECT_TRUE(r.htmlLeft);
  EXPECT_EQ(r.text.size() * 2, 90u - 12u);  // six units fewer
  r = RewriteWhole(u"<meta http-equiv='x' content='nothing here'>", u"utf-8", false, true);
  EXPECT_TRUE(r.htmlLeft);  // no "charset=": nothing changes
  EXPECT_EQ(r.text, u"<meta http-equiv='x' content='nothing here'>");
}

TEST(DeclarationRewrite, ReplaceTextSpanKeepsWhatFollowsAZero) {
  WorkingText text;
  const std::u16string input = Text(u"ab\0cd\0ef", 8);
  text.buffer.reset(new std::uint16_t[input.size() + 2]());
  std::memcpy(text.buffer.get() + 1, input.data(), input.size() * 2);
  text.view = text.buffer.get() + 1;  // as after a dropped mark
  text.length = static_cast<std::uint32_t>(input.size() * 2);
  ASSERT_TRUE(ReplaceTextSpan(text, 3, 5, u"XYZ"));
  EXPECT_EQ(text.view, text.buffer.get());
  EXPECT_EQ(text.length, 18u);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(text.view), 9), Text(u"ab\0XYZ\0ef", 9));
  EXPECT_EQ(text.view[9], 0);
}

}  // namespace
}  // namespace recodo::test
