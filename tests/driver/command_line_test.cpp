#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace recodo;

namespace {

std::vector<std::u16string> Split(std::u16string text) {
  std::vector<char16_t> buffer(text.begin(), text.end());
  buffer.push_back(0);
  const CommandLineItems items = SplitCommandLine(buffer.data());
  std::vector<std::u16string> out;
  for (int i = 0; i < items.count; ++i) out.emplace_back(items.items[i]);
  for (int i = items.count; i < kMaxItems; ++i) EXPECT_EQ(items.items[i], nullptr);
  return out;
}

using Items = std::vector<std::u16string>;

TEST(SplitCommandLine, BlanksSeparateItems) {
  EXPECT_EQ(Split(u""), Items{});
  EXPECT_EQ(Split(u"   "), Items{});
  EXPECT_EQ(Split(u"a.txt"), Items{u"a.txt"});
  EXPECT_EQ(Split(u"a.txt   /nobom  /xml"), (Items{u"a.txt", u"/nobom", u"/xml"}));
  EXPECT_EQ(Split(u"a\tb /x"), (Items{u"a", u"b", u"/x"}));
  EXPECT_EQ(Split(u" a.txt "), (Items{u"a.txt"}));
}

TEST(SplitCommandLine, QuotesAreRemovedWhereverTheyStand) {
  EXPECT_EQ(Split(u"\"my file.txt\" /xml"), (Items{u"my file.txt", u"/xml"}));
  EXPECT_EQ(Split(u"abc\"d e\" /xml"), (Items{u"abcd e", u"/xml"}));
  // A value in quotes, and a quoted part inside a value: as a batch file
  // writes them.
  EXPECT_EQ(Split(u"a /output=\"c:\\my dir\" /move"), (Items{u"a", u"/output=c:\\my dir", u"/move"}));
  EXPECT_EQ(Split(u"s.txt /output=\"out dir\"\\converted.txt"), (Items{u"s.txt", u"/output=out dir\\converted.txt"}));
  EXPECT_EQ(Split(u"a /line=\"unix\""), (Items{u"a", u"/line=unix"}));
  EXPECT_EQ(Split(u"a \"\" b"), (Items{u"a", u"", u"b"})) << "empty quotes are an empty item";
  // Quotes that never close run to the end of the text.
  EXPECT_EQ(Split(u"a /output=\"x y"), (Items{u"a", u"/output=x y"}));
}

TEST(SplitCommandLine, BackslashesCountOnlyBeforeAQuote) {
  EXPECT_EQ(Split(u"c:\\dir\\ x"), (Items{u"c:\\dir\\", u"x"}));
  EXPECT_EQ(Split(u"a\\\"b"), (Items{u"a\"b"})) << "one backslash: a literal quote";
  EXPECT_EQ(Split(u"a\\\\\"b c\""), (Items{u"a\\b c"})) << "two: one backslash, then a quote mark";
  EXPECT_EQ(Split(u"\"c:\\my dir\\\\\" x"), (Items{u"c:\\my dir\\", u"x"}));
  // Three quotes in a row inside quotes: one of them is literal.
  EXPECT_EQ(Split(u"\"a\"\"\"b\""), (Items{u"a\"b"}));
}

TEST(SplitCommandLine, AtMostAHundredItems) {
  std::u16string text;
  for (int i = 0; i < 130; ++i) {
    text.push_back(u'x');
    text.push_back(static_cast<char16_t>(u'0' + i % 10));
    text.push_back(u' ');
  }
  const Items items = Split(text);
  ASSERT_EQ(items.size(), 100u);
  EXPECT_EQ(items[99], u"x9");
}

struct Parsed {
  Settings settings;
  std::vector<OptionResult> results;
  std::vector<std::vector<char16_t>> storage;  // the items live as long as the settings
};

std::unique_ptr<Parsed> Parse(std::initializer_list<std::u16string> options) {
  auto parsed = std::make_unique<Parsed>();
  for (const std::u16string& option : options) {
    parsed->storage.emplace_back(option.begin(), option.end());
    parsed->storage.back().push_back(0);
  }
  for (auto& item : parsed->storage) parsed->results.push_back(ApplyOption(parsed->settings, item.data()));
  return parsed;
}

TEST(Options, DefaultsMeanDetectUtf8WithBomAndNothingElse) {
  const Settings s;
  EXPECT_TRUE(s.writeBom);
  EXPECT_TRUE(s.detectSource);
  EXPECT_EQ(s.destCharset, 100);
  EXPECT_EQ(std::u16string(s.destCharsetName), u"utf-8");
  EXPECT_EQ(std::u16string(s.sourceCharsetName), u"ansi");
  EXPECT_EQ(s.sourceCharset, 18);
  EXPECT_EQ(s.lineBreakName, nullptr);
  EXPECT_FALSE(s.modifyXmlHeader || s.modifyHtmlMeta || s.replaceSource || s.moveSource || s.recursive);
  EXPECT_FALSE(s.keepSecurity || s.keepDacl || s.keepOwner || s.noConsole || s.stopOnError);
  EXPECT_EQ(std::u16string(s.translationTablePath), u"user-to-account.csv");
}

TEST(Options, NamesAndValuesIgnoreAsciiCase) {
  auto p = Parse({u"/SCS=WINDOWS-1252", u"/DcS=\"utf 16\"", u"/NoBom", u"/XML", u"/Html", u"/R"});
  EXPECT_EQ(std::u16string(p->settings.sourceCharsetName), u"WINDOWS-1252");
  EXPECT_FALSE(p->settings.detectSource);
  EXPECT_EQ(std::u16string(p->settings.destCharsetName), u"utf 16") << "unquoted in place";
  EXPECT_FALSE(p->settings.writeBom);
  EXPECT_TRUE(p->settings.modifyXmlHeader && p->settings.modifyHtmlMeta && p->settings.recursive);
  auto q = Parse({u"/scs", u"/xmlx", u"/recursive"});
  EXPECT_EQ(q->results[0], OptionResult::Unknown) << "/scs without '=' is no option";
  EXPECT_EQ(q->results[1], OptionResult::Unknown);
  EXPECT_TRUE(q->settings.detectSource);
  EXPECT_TRUE(q->settings.recursive);
}

TEST(Options, QuotesOfEachValue) {
  auto p = Parse({u"/output=\"c:\\my dir\"", u"/line=\"unix\"", u"/private.utt=\"t.csv\"", u"/log=\"a b.log\""});
  EXPECT_EQ(std::u16string(p->settings.outputPath), u"c:\\my dir");
  EXPECT_EQ(std::u16string(p->settings.lineBreakName), u"\"unix\"") << "kept: names no line-break type";
  EXPECT_EQ(std::u16string(p->settings.translationTablePath), u"\"t.csv\"");
  EXPECT_EQ(std::u16string(p->settings.logPath), u"a b.log");
  EXPECT_TRUE(p->settings.noConsole);
  auto empty = Parse({u"/output=", u"/log="});
  EXPECT_EQ(empty->settings.outputPath[0], 0);
  EXPECT_TRUE(empty->settings.noConsole) << "an empty log name still silences the run";
}

TEST(Options, FlagsThatInteract) {
  auto owner = Parse({u"/keep-owner"});
  EXPECT_TRUE(owner->settings.keepSecurity && owner->settings.keepOwner);
  EXPECT_FALSE(owner->settings.keepDacl);
  auto dacl = Parse({u"/keep-dacl"});
  EXPECT_TRUE(dacl->settings.keepSecurity && dacl->settings.keepDacl && !dacl->settings.keepOwner);
  auto moveThenReplace = Parse({u"/move", u"/replace"});
  EXPECT_TRUE(moveThenReplace->settings.replaceSource);
  EXPECT_FALSE(moveThenReplace->settings.moveSource);
  auto replaceThenMove = Parse({u"/replace", u"/move"});
  EXPECT_TRUE(replaceThenMove->settings.replaceSource && replaceThenMove->settings.moveSource);
  auto silent = Parse({u"/silent", u"/private.ofp", u"/error-stop", u"/nowait"});
  EXPECT_TRUE(silent->settings.noConsole && silent->settings.noMessageBox);
  EXPECT_TRUE(silent->settings.ownerFromPrefix && silent->settings.stopOnError);
  auto later = Parse({u"/dcs=latin1", u"/dcs=ansi"});
  EXPECT_EQ(std::u16string(later->settings.destCharsetName), u"ansi") << "later options overwrite earlier ones";
}

TEST(Options, LogLevelReadsLeadingDigits) {
  const std::pair<std::u16string, int> cases[] = {
      {u"/loglevel=1", 1},  {u"/loglevel=abc", 0}, {u"/loglevel=1abc", 1},       {u"/loglevel= -2", -2},
      {u"/loglevel=+3", 3}, {u"/loglevel=", 0},    {u"/loglevel=99999999999", 0x7FFFFFFF},
  };
  for (const auto& [option, level] : cases) EXPECT_EQ(Parse({option})->settings.logLevel, level);
}

TEST(Options, PathsThatWouldNotFitAreRefusedNotCut) {
  const std::u16string longPath(kPathCapacity, u'x');
  auto p = Parse({u"/output=" + longPath, u"/log=" + longPath, u"/private.utt=" + longPath});
  for (OptionResult r : p->results) EXPECT_EQ(r, OptionResult::PathTooLong);
  EXPECT_EQ(p->settings.outputPath[0], 0);
  EXPECT_EQ(p->settings.logPath[0], 0);
  EXPECT_EQ(std::u16string(p->settings.translationTablePath), u"user-to-account.csv");
  auto fits = Parse({u"/output=" + longPath.substr(1)});
  EXPECT_EQ(fits->results[0], OptionResult::Applied);
  EXPECT_EQ(std::u16string(fits->settings.outputPath).size(), kPathCapacity - 1);
}

}  // namespace
