// The parameter-file line tokenizer and the command-line grammar.
#include <cstring>
#include <string>

#include "common/core/command_line.h"
#include "common/core/param_syntax.h"
#include <gtest/gtest.h>

namespace {

struct Tokens {
  std::string key, value;
};

Tokens Tokenize(const std::string& line) {
  char buffer[bw::kLineBufferSize];
  std::strncpy(buffer, line.c_str(), sizeof buffer - 1);
  buffer[sizeof buffer - 1] = '\0';
  const char* key;
  const char* value;
  bw::TokenizeLine(buffer, &key, &value);
  return Tokens{key, value};
}

TEST(LineTokenizer, SpacesAfterTheSeparatorBelongToTheValueButTabsDoNot) {
  EXPECT_EQ(Tokenize("Key  x").value, " x");
  EXPECT_EQ(Tokenize("Key\tx").value, "x");
  EXPECT_EQ(Tokenize("Key\t\t\t x").value, " x");
  EXPECT_EQ(Tokenize("\t\tPassword\tpass word\r\n").value, "pass word");
}

TEST(LineTokenizer, TrailingControlBytesAndSpacesAreTrimmed) {
  Tokens t = Tokenize("Password\tsecret \t\r\n");
  EXPECT_EQ(t.key, "Password");
  EXPECT_EQ(t.value, "secret");
  t = Tokenize(" \t \r\n");
  EXPECT_EQ(t.key, "");
  EXPECT_EQ(t.value, "");
}

TEST(LineTokenizer, ShiftJisBytesBelongToTheKeyAndValue) {
  Tokens t = Tokenize("接続\t受信箱 ア");
  EXPECT_EQ(t.key, "接続");
  EXPECT_EQ(t.value, "受信箱 ア");
}

TEST(LineTokenizer, KeyWithoutValueAndBraces) {
  Tokens t = Tokenize("\tUserID }");
  EXPECT_EQ(t.key, "UserID");
  EXPECT_EQ(t.value, "}");
  t = Tokenize("LogFileName\t");
  EXPECT_EQ(t.key, "LogFileName");
  EXPECT_EQ(t.value, "");
}

TEST(LineTokenizer, OnlyTheFirstRawByteMarksAComment) {
  EXPECT_TRUE(bw::IsCommentLine(";Bellwick"));
  EXPECT_TRUE(bw::IsCommentLine("#x"));
  EXPECT_TRUE(bw::IsCommentLine("'x"));
  EXPECT_FALSE(bw::IsCommentLine("\t;x"));
}

std::string Value(const char* line, const char* option, bool* ok = nullptr) {
  bw::OptionList list;
  bool parsed = list.Parse(line);
  if (ok) *ok = parsed;
  return list.Value(option);
}

TEST(CommandLine, QuotedValueWithSpacesLosesItsOuterQuotes) {
  EXPECT_EQ(Value("-p \"C:\\My Files\\b.ini\" -s", "-p"), "C:\\My Files\\b.ini");
  EXPECT_EQ(Value("-p a\"b c\"d", "-p"), "a\"b c\"d");
}

TEST(CommandLine, BackslashMakesTheNextByteOrdinaryAndStays) {
  EXPECT_EQ(Value("-p a\\ b", "-p"), "a\\ b");
  EXPECT_EQ(Value("-p a\\\"b", "-p"), "a\\\"b");
}

TEST(CommandLine, UnclosedQuoteTrailingBackslashOrOrphanValueFail) {
  bw::OptionList list;
  EXPECT_FALSE(list.Parse("-p \"abc"));
  EXPECT_FALSE(list.Parse("-p abc\\"));
  EXPECT_FALSE(list.Parse("value -s"));
  EXPECT_FALSE(list.Parse("-p a b"));
  EXPECT_TRUE(list.Parse(""));
  EXPECT_TRUE(list.Parse("  \t "));
}

TEST(CommandLine, OptionsWithoutValuesAndFirstMatchWins) {
  bw::OptionList list;
  ASSERT_TRUE(list.Parse("-d -x +q -p one -p two"));
  ASSERT_NE(list.Find("-d"), nullptr);
  EXPECT_EQ(*list.Find("-d"), "");
  EXPECT_TRUE(list.Has("-x"));
  EXPECT_TRUE(list.Has("+q"));
  EXPECT_EQ(list.Value("-p"), "one");
  EXPECT_FALSE(list.Has("-P"));
}

TEST(CommandLine, ShiftJisValueIsNeverSplitAtItsTrailByte) {
  // ソ (0x83 0x5C) and 表 (0x95 0x5C) end in a backslash byte.
  bool ok;
  EXPECT_EQ(Value("-p ソ表 -s", "-p", &ok), "ソ表");
  EXPECT_TRUE(ok);
  bw::OptionList list;
  ASSERT_TRUE(list.Parse("-p \"ソ\" -s"));
  EXPECT_EQ(list.Value("-p"), "ソ");
  EXPECT_TRUE(list.Has("-s"));
}

TEST(CommandLine, DoubleByteCharacterAfterABackslashIsNeverSplit) {
  // 東 is 0x93 0x8C: taken apart, 0x8C would swallow the byte after it.
  bw::OptionList list;
  ASSERT_TRUE(list.Parse("-p \"C:\\東\" -s"));
  EXPECT_EQ(list.Value("-p"), "C:\\東");
  EXPECT_TRUE(list.Has("-s"));
  ASSERT_TRUE(list.Parse("-p C:\\東 -s"));
  EXPECT_EQ(list.Value("-p"), "C:\\東");
  EXPECT_TRUE(list.Has("-s"));
  // ソ, 表 and 能 end in 0x5C, which must not act as a backslash.
  for (const char* path : {"C:\\ソ", "C:\\dir\\表", "D:\\能"}) {
    ASSERT_TRUE(list.Parse((std::string("-p \"") + path + "\" -s").c_str())) << path;
    EXPECT_EQ(list.Value("-p"), path);
    EXPECT_TRUE(list.Has("-s"));
    ASSERT_TRUE(list.Parse((std::string("-p ") + path + " -s").c_str())) << path;
    EXPECT_EQ(list.Value("-p"), path);
    EXPECT_TRUE(list.Has("-s"));
  }
}

TEST(CommandLine, ProgramNameIsSkippedQuotedOrPlain) {
  EXPECT_STREQ(bw::SkipProgramName("\"C:\\a b\\Bellwick.exe\"  -s"), "-s");
  EXPECT_STREQ(bw::SkipProgramName("Bellwick.exe\t-p x"), "-p x");
  EXPECT_STREQ(bw::SkipProgramName("Bellwick.exe"), "");
  EXPECT_STREQ(bw::SkipProgramName("\"unterminated"), "");
}

}  // namespace
