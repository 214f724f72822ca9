#include "driver/usual_spellings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/command_line.h"

using namespace recodo;

namespace {

std::u16string Text(const char16_t* text) { return text == nullptr ? u"(null)" : std::u16string(text); }

// Every field an option can set, in one comparable text.
std::u16string Fingerprint(const Settings& s) {
  std::u16string out;
  for (bool flag : {s.writeBom, s.noMessageBox, s.modifyXmlHeader, s.modifyHtmlMeta, s.replaceSource, s.moveSource,
                    s.allowLossy, s.keepSecurity, s.keepDacl, s.keepOwner, s.recursive, s.stopOnError, s.noConsole,
                    s.silent, s.detectSource, s.ownerFromPrefix})
    out += flag ? u'1' : u'0';
  out += u'|' + Text(s.sourceCharsetName) + u'|' + Text(s.destCharsetName) + u'|' + Text(s.lineBreakName);
  out += u'|' + std::u16string(s.outputPath) + u'|' + std::u16string(s.logPath) + u'|' +
         std::u16string(s.translationTablePath) + u'|' + static_cast<char16_t>(u'0' + s.logLevel);
  return out;
}

struct Applied {
  Settings settings;
  OptionResult result;
};

Applied Apply(const std::u16string& item) {
  Applied out{};
  static std::vector<std::u16string> kept;  // the settings point into the items
  kept.reserve(200);
  kept.push_back(item);
  out.result = ApplyOption(out.settings, kept.back().data());
  return out;
}

TEST(UsualSpellings, DoubleDashMeansSlashForEveryOptionOfTheTable) {
  const std::u16string options[] = {
      u"scs=latin1", u"dcs=\"utf-16\"", u"output=out dir", u"line=unix", u"nobom", u"nowait", u"xml", u"html",
      u"replace", u"move", u"lossy", u"recursive", u"r", u"error-stop", u"keep-owner", u"keep-dacl", u"silent",
      u"log=run.log", u"loglevel=1", u"private.owner-from-prefix", u"private.ofp",
      u"private.user-translation-table=t.csv", u"private.utt=t.csv"};
  const std::u16string defaults = Fingerprint(Settings{});
  for (const std::u16string& option : options) {
    const Applied slash = Apply(u"/" + option);
    const Applied dashes = Apply(TableSpelling(u"--" + option));
    ASSERT_EQ(slash.result, OptionResult::Applied) << std::string(option.begin(), option.end());
    EXPECT_EQ(dashes.result, OptionResult::Applied) << std::string(option.begin(), option.end());
    EXPECT_NE(Fingerprint(slash.settings), defaults) << std::string(option.begin(), option.end());
    EXPECT_EQ(Fingerprint(dashes.settings), Fingerprint(slash.settings)) << std::string(option.begin(), option.end());
  }
}

TEST(UsualSpellings, ShortRecursiveAndWhatStaysAsTyped) {
  EXPECT_EQ(TableSpelling(u"-r"), u"/recursive");
  EXPECT_TRUE(Apply(TableSpelling(u"-r")).settings.recursive);
  // Only "-r" has a short form; the rest stay as typed and are unknown.
  for (const std::u16string item : {u"-R", u"-x", u"-", u"--", u"---nobom", u"/nobom", u"notes.txt", u"-nobom"})
    EXPECT_EQ(TableSpelling(item), item);
  EXPECT_EQ(Apply(TableSpelling(u"---nobom")).result, OptionResult::Unknown);
  EXPECT_EQ(Apply(TableSpelling(u"--dsc=utf-16")).result, OptionResult::Unknown);
  EXPECT_EQ(TableSpelling(u"--NoBom"), u"/NoBom") << "case is the table's business";
  EXPECT_EQ(Apply(TableSpelling(u"--NoBom")).result, OptionResult::Applied);
}

TEST(UsualSpellings, RequestsOfTheFirstItem) {
  EXPECT_EQ(RequestOfFirstItem(u"-h"), FirstItemRequest::Help);
  EXPECT_EQ(RequestOfFirstItem(u"--help"), FirstItemRequest::Help);
  EXPECT_EQ(RequestOfFirstItem(u"--version"), FirstItemRequest::Version);
  for (const std::u16string item : {u"-H", u"--HELP", u"-help", u"--help=1", u"--versions", u"/?", u"notes.txt"})
    EXPECT_EQ(RequestOfFirstItem(item), FirstItemRequest::None) << std::string(item.begin(), item.end());
}

TEST(UsualSpellings, WhatLooksLikeAnOption) {
  for (const char16_t* item : {u"/x", u"-x", u"--x", u"/dsc=utf-16", u"--", u"/tmp/notes.txt"})
    EXPECT_TRUE(LooksLikeOption(item));
  for (const char16_t* item : {u"", u"/", u"-", u"x", u"notes.txt", u"a-b", u"\"/x\""}) EXPECT_FALSE(LooksLikeOption(item));
}

}  // namespace
