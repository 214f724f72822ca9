#include "driver/charset_resolution.h"

#include <gtest/gtest.h>

using namespace recodo;

namespace {

TEST(CharsetResolution, PrintsTheCatalogueSpellingAndCode) {
  Settings s;
  std::u16string out;
  s.destCharsetName = u"UTF8";
  EXPECT_EQ(ResolveCharsets(s, out), 0);
  EXPECT_EQ(out, u"Destination character set: \"utf-8\" (Internal code 100)\nSource character set: Auto detect\n\n");
  EXPECT_EQ(s.destCharset, 100);

  Settings t;
  out.clear();
  t.destCharsetName = u"latin1";
  t.sourceCharsetName = u"ansi";
  t.detectSource = false;
  EXPECT_EQ(ResolveCharsets(t, out), 0);
  EXPECT_EQ(out,
            u"Destination character set: \"Latin1\" (Internal code 0)\n"
            u"Source character set: \"Ansi\" (Internal code 18)\n\n");
  EXPECT_EQ(std::u16string(t.sourceCharsetName), u"Ansi");
  EXPECT_EQ(t.sourceCharset, 18);
}

TEST(CharsetResolution, UnknownNamesEndWithSix) {
  Settings s;
  std::u16string out;
  s.destCharsetName = u"utf-16le";
  EXPECT_EQ(ResolveCharsets(s, out), 6);
  EXPECT_EQ(out, u"Error 6: Character set \"utf-16le\" is unknown.");

  Settings t;
  out.clear();
  t.sourceCharsetName = u"";
  t.detectSource = false;
  EXPECT_EQ(ResolveCharsets(t, out), 6) << "an empty name is looked up and unknown";
  EXPECT_EQ(out, u"Destination character set: \"utf-8\" (Internal code 100)\nError 6: Character set \"\" is unknown.");
}

}  // namespace
