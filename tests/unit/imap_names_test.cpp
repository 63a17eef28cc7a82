// Folder names as the IMAP session sends them, and the code page 932 table
// they go through.
#include <string>

#include <gtest/gtest.h>

#include "checker/core/cp932_unicode.h"
#include "checker/core/imap_names.h"

namespace {

std::string Wire(const std::string& sjis, bool utf8 = false) {
  std::string name;
  EXPECT_TRUE(bw::ImapFolderWireName(sjis, utf8, &name)) << sjis;
  return name;
}

// The examples of the modified UTF-7 definition, typed in Shift_JIS, and
// the folder name the test mailbox keeps on disk for 仕事.
TEST(ImapFolderName, ModifiedUtf7OfShiftJisNames) {
  EXPECT_EQ(Wire("~peter/mail/\x91\xE4\x96\x6B/\x93\xFA\x96\x7B\x8C\xEA"), "~peter/mail/&U,BTFw-/&ZeVnLIqe-");
  EXPECT_EQ(Wire("\x8E\x64\x8E\x96"), "&TtVOiw-");
  EXPECT_EQ(Wire("A&B"), "A&-B");
  // Half-width katakana, and a run of one character (padding bits zero).
  EXPECT_EQ(Wire("\xB6"), "&,3Y-");  // U+FF76: "," stands for "/"
  EXPECT_EQ(Wire("\x8E\x64\x8E\x96", true), "\xE4\xBB\x95\xE4\xBA\x8B");
  std::string name;
  EXPECT_FALSE(bw::ImapFolderWireName("a\x82", false, &name));  // a lead byte standing last
  EXPECT_FALSE(bw::ImapFolderWireName("\x85\x40", false, &name));  // no character there
}

// Where code page 932 differs from plain Shift_JIS tables (the wave dash,
// NEC's circled digits, IBM's rows) and a surrogate pair in UTF-8.
TEST(Cp932Table, MapsAsWindowsDoes) {
  std::u16string wide;
  ASSERT_TRUE(bw::Cp932ToUtf16("\x81\x60\x87\x40\xFA\x40\xED\x40\xF0\x40", &wide));
  EXPECT_EQ(wide, (std::u16string{0xFF5E, 0x2460, 0x2170, 0x7E8A, 0xE000}));
  EXPECT_EQ(bw::Utf16ToUtf8(std::u16string{0xD83D, 0xDCE7, 0xD800}), "\xF0\x9F\x93\xA7\xEF\xBF\xBD");
}

TEST(ImapStrings, QuotedOnlyWhenTheBytesAllow) {
  EXPECT_EQ(bw::ImapQuoted("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_TRUE(bw::ImapQuotable("p w\"", false));
  EXPECT_FALSE(bw::ImapQuotable("\x82\xA0", false));
  EXPECT_TRUE(bw::ImapQuotable("\x82\xA0", true));
  EXPECT_FALSE(bw::ImapQuotable(std::string("a\0b", 3), true));
  EXPECT_FALSE(bw::ImapQuotable("a\rb", true));
}

}  // namespace
