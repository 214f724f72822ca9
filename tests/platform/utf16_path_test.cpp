// Names cross the POSIX boundary without loss, whatever their bytes.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/utf16_path.h"

namespace recodo::platform {
namespace {

TEST(Utf16Path, EveryByteSequenceComesBack) {
  // Latin-1 names, cut and overlong forms, encoded surrogates and values
  // past U+10FFFF, among well-formed text.
  const std::string names[] = {"caf\xE9.txt", "\xC3", "\xE2\x82", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xB2\x80",
                               "\xED\xA0\x80\xED\xB0\x80", "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80", "\xFF\xFE",
                               "ok \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \x80"};
  for (const std::string& name : names) EXPECT_EQ(Utf16ToUtf8Path(PathFromSystem(name).c_str()), name);
  std::mt19937 random(42);
  for (int round = 0; round < 2000; ++round) {
    std::string name(1 + random() % 12, '\0');
    for (char& c : name) c = static_cast<char>(1 + random() % 255);
    ASSERT_EQ(Utf16ToUtf8Path(PathFromSystem(name).c_str()), name) << round;
  }
}

TEST(Utf16Path, WellFormedNamesAreTheirCharactersAndCarriedBytesShowAsReplacements) {
  EXPECT_EQ(PathFromSystem("\xC3\xA9\xF0\x9F\x98\x80"), u"\u00E9\U0001F600");
  EXPECT_EQ(PathFromSystem("caf\xE9"), std::u16string(u"caf") + char16_t(0xDCE9));
  // A pair whose second half lies among the carried units stays a pair.
  EXPECT_EQ(Utf16ToUtf8Path(u"\U00010080"), "\xF0\x90\x82\x80");
  // Messages show a carried byte as U+FFFD; other lone halves become it too.
  EXPECT_EQ(Utf16ToUtf8(PathFromSystem("caf\xE9")), "caf\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8Path(std::u16string{u'a', char16_t(0xD800), u'b'}.c_str()), "a\xEF\xBF\xBD" "b");
}

}  // namespace
}  // namespace recodo::platform
