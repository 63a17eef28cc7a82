// Decoding header fields as mail really arrives, from a table of real
// sources: the examples of RFC 2047 section 8, headers as Japanese mail
// programs and web mail write them, and Python's email.header as the
// reference where it is right. The inputs were made with Python's codecs
// (cp932, iso2022_jp, euc_jp, utf-8) and base64, or written as the
// Windows encoders (CP50220, CP51932) write the NEC and IBM characters.
#include <cstdlib>
#include <ctime>
#include <string>

#include <gtest/gtest.h>

#include "checker/core/header_text.h"
#include "checker/core/jis_decode.h"
#include "checker/core/mail_header.h"
#include "checker/core/new_mail_list.h"

namespace {

std::string Decoded(const std::string& field) { return bw::Utf16ToUtf8(bw::DecodeHeaderText(bw::UnfoldHeader(field))); }
std::string Sender(const std::string& from) { return bw::Utf16ToUtf8(bw::SenderText(bw::UnfoldHeader(from))); }

struct Case {
  const char* source;
  const char* field;
  const char* shown;
};

// Python's str(make_header(decode_header(field))) gives the same text,
// except where the comment says otherwise.
const Case kTable[] = {
    // RFC 2047 section 8: blanks between adjacent words go, others stay.
    {"rfc2047", "(=?ISO-8859-1?Q?a?=)", u8"(a)"},
    {"rfc2047", "(=?ISO-8859-1?Q?a?= b)", u8"(a b)"},
    {"rfc2047", "(=?ISO-8859-1?Q?a?= =?ISO-8859-1?Q?b?=)", u8"(ab)"},
    {"rfc2047", "(=?ISO-8859-1?Q?a?=  =?ISO-8859-1?Q?b?=)", u8"(ab)"},
    {"rfc2047", "(=?ISO-8859-1?Q?a?=\r\n    =?ISO-8859-1?Q?b?=)", u8"(ab)"},
    {"rfc2047", "(=?ISO-8859-1?Q?a_b?=)", u8"(a b)"},
    {"rfc2047", "(=?ISO-8859-1?Q?a?= =?ISO-8859-2?Q?_b?=)", u8"(a b)"},
    {"rfc2047",
     "=?ISO-8859-1?B?SWYgeW91IGNhbiByZWFkIHRoaXMgeW8=?=\r\n    =?ISO-8859-2?B?dSB1bmRlcnN0YW5kIHRoZSBleGFtcGxlLg==?=",
     u8"If you can read this you understand the example."},
    {"rfc2047", "(=?iso-8859-8?b?7eXs+SDv4SDp7Oj08A==?=)", u8"(םולש ןב ילטפנ)"},
    // ISO-2022-JP in B words, as most Japanese mail programs send it.
    {"iso-2022-jp", "=?ISO-2022-JP?B?GyRCJUYlOSVIJEckORsoQg==?=", u8"テストです"},
    {"iso-2022-jp Q", "=?ISO-2022-JP?Q?=1B$B$3$s$K$A$O=1B(B?=", u8"こんにちは"},
    // NEC row 13 (①②) as Windows mail programs write it. Python: fails
    // (its iso2022_jp knows plain JIS X 0208 only).
    {"iso-2022-jp NEC", "=?ISO-2022-JP?B?GyRCLSEtIhsoQiAbJEIlOyVfJUohPBsoQg==?=", u8"①② セミナー"},
    // IBM extension 髙: NEC-selected row 92 (CP50220), and row 118 as a
    // naive Shift_JIS converter writes it with an 8-bit lead byte. Python:
    // fails on both.
    {"iso-2022-jp IBM", "=?ISO-2022-JP?B?GyRCfGIbKEI=?= =?ISO-2022-JP?B?GyRCln4bKEI=?=", u8"髙髙"},
    // Half-width katakana by ESC ( I. Python: fails.
    {"iso-2022-jp kana", "=?ISO-2022-JP?B?GyhJNkA2RRsoQg==?=", u8"ｶﾀｶﾅ"},
    // CP932 labelled Shift_JIS: ～ is U+FF5E as on Windows. Python: its
    // shift_jis gives U+301C and fails on 髙 and ①.
    {"shift_jis mislabelled", "=?Shift_JIS?B?7uCLtIFgh0A=?=", u8"髙橋～①"},
    // A UTF-8 word folded and split inside a character (web mail).
    {"utf-8 split", "=?UTF-8?B?5pel5g==?=\r\n =?UTF-8?B?nKzoqp7jga7jg4bjgrnjg4g=?=", u8"日本語のテスト"},
    {"utf-8 split", "=?UTF-8?B?44Of44O844OG4w==?= =?UTF-8?B?gqPjg7PjgrDjga7jgYrnn6XjgonjgZs=?=", u8"ミーティングのお知らせ"},
    // What Shift_JIS cannot hold shows as it is.
    {"utf-8 emoji", "=?UTF-8?B?8J+OiSDslYjrhZU=?=", u8"🎉 안녕"},
    {"euc-jp", "=?EUC-JP?B?pLSwxsbi?=", u8"ご案内"},
    // NEC row 13 in EUC-JP (CP51932). Python: fails.
    {"euc-jp NEC", "=?EUC-JP?B?raGtog==?=", u8"①②"},
    // Raw 8-bit text without a word. Python leaves raw bytes to the caller.
    {"raw utf-8", "Re: \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", u8"Re: 日本語"},
    {"raw cp932", "\x82\xa8\x90\xa2\x98\x62\x82\xc9\x82\xc8\x82\xc1\x82\xc4\x82\xa8\x82\xe8\x82\xdc\x82\xb7\x81\x60",
     u8"お世話になっております～"},
    {"raw iso-2022-jp", "\x1B$B%F%9%H\x1B(B", u8"テスト"},
    // An unknown charset shows as it came. Python: raises LookupError.
    {"unknown charset", "=?x-unknown?Q?abc?= =?UTF-8?Q?=E3=81=82?=", u8"=?x-unknown?Q?abc?= あ"},
    // A B word with bytes outside base64 shows as it came. Python: drops
    // the bytes and decodes the rest.
    {"broken word", "=?UTF-8?B?4pyU!!?= ok", u8"=?UTF-8?B?4pyU!!?= ok"},
    // US-ASCII holding UTF-8 bytes, as some scripts label everything.
    {"mislabelled us-ascii", "=?us-ascii?Q?=E3=81=82?=", u8"あ"},
    // A Q word decoding to a line break stays on one line.
    {"control bytes", "=?UTF-8?Q?a=0D=0Ab=09c?=", u8"a  b c"},
};

TEST(HeaderDecode, TableOfRealHeadersDecodesAsTheyWereMeant) {
  for (const Case& c : kTable) EXPECT_EQ(Decoded(c.field), c.shown) << c.source << ": " << c.field;
}

TEST(HeaderDecode, UnfoldingDropsOnlyBreaksBeforeBlanks) {
  EXPECT_EQ(bw::UnfoldHeader("a\r\n b\r\n\tc\r\nd"), "a b\tc\r\nd");
  EXPECT_EQ(bw::UnfoldHeader("a\n b"), "a b");
}

// Windows' code page 932, not JIS: 0x8160 is U+FF5E, the NEC and IBM rows
// are there, and codes it leaves empty become U+FFFD alone.
TEST(HeaderDecode, Cp932MapsAsWindowsDoes) {
  EXPECT_EQ(bw::Cp932Text("\x81\x60"), u"\uFF5E");
  EXPECT_EQ(bw::Cp932Text("\x87\x40\xED\x40\xFA\x40"), u"\u2460\u7E8A\u2170");
  EXPECT_EQ(bw::Cp932Text("a\x85\x40" "b"), u"a\uFFFDb");
  EXPECT_EQ(bw::Cp932Text("\x80"), u"\u0080");
}

TEST(HeaderDecode, JisRowsMapByArithmeticOntoCp932) {
  EXPECT_EQ(bw::JisToCp932(0x21, 0x21), 0x8140u);  // row 1 (the ideographic space)
  EXPECT_EQ(bw::JisToCp932(0x2D, 0x21), 0x8740u);  // row 13: ①
  EXPECT_EQ(bw::JisToCp932(0x30, 0x21), 0x889Fu);  // row 16: 亜
  EXPECT_EQ(bw::JisToCp932(0x5F, 0x21), 0xE040u);  // row 63
  EXPECT_EQ(bw::JisToCp932(0x79, 0x21), 0xED40u);  // row 89: NEC-selected IBM
  EXPECT_EQ(bw::JisToCp932(0x93, 0x21), 0xFA40u);  // row 115: IBM
}

TEST(HeaderDecode, SenderIsTheDisplayNameElseTheAddress) {
  EXPECT_EQ(Sender("=?US-ASCII?Q?Keith_Moore?= <moore@cs.utk.edu>"), u8"Keith Moore");  // RFC 2047 section 8
  EXPECT_EQ(Sender("=?ISO-8859-1?Q?Andr=E9?= Pirard <PIRARD@vm1.ulg.ac.be>"), u8"Andr\u00E9 Pirard");
  EXPECT_EQ(Sender("Nathaniel Borenstein <nsb@thumper.bellcore.com>\r\n    (=?iso-8859-8?b?7eXs+SDv4SDp7Oj08A==?=)"),
            u8"Nathaniel Borenstein");
  // Words inside quotes, as web mail writes them.
  EXPECT_EQ(Sender("\"=?ISO-2022-JP?B?GyRCOzNFREJATzobKEI=?=\" <taro@example.jp>"), u8"山田太郎");
  EXPECT_EQ(Sender("\"Yamada, Taro\" <taro@example.jp>, Hanako <h@example.jp>"), u8"Yamada, Taro");
  EXPECT_EQ(Sender("taro@example.jp (Yamada Taro)"), u8"Yamada Taro");
  EXPECT_EQ(Sender("\"\" <taro@example.jp>"), u8"taro@example.jp");
  EXPECT_EQ(Sender("<taro@example.jp>"), u8"taro@example.jp");
  EXPECT_EQ(Sender("taro@example.jp"), u8"taro@example.jp");
}

class LocalZone : public ::testing::Test {
 protected:
  void SetUp() override { SetZone("JST-9"); }
  void TearDown() override {
    if (saved_.empty()) {
#ifdef _WIN32
      _putenv("TZ=");
#else
      unsetenv("TZ");
#endif
    } else {
      SetZone(saved_.c_str());
    }
  }
  static void SetZone(const char* zone) {
#ifdef _WIN32
    _putenv((std::string("TZ=") + zone).c_str());
    _tzset();
#else
    setenv("TZ", zone, 1);
    tzset();
#endif
  }
  std::string saved_ = std::getenv("TZ") ? std::getenv("TZ") : "";
};

// Python's email.utils.parsedate_to_datetime, shown in +0900, is the
// reference; the first two are RFC 5322's appendix examples.
TEST_F(LocalZone, DateShowsInLocalTime) {
  auto shown = [](const char* date) { return bw::Utf16ToUtf8(bw::DateText(date)); };
  EXPECT_EQ(shown("Fri, 21 Nov 1997 09:55:06 -0600"), "11/22 00:55");
  EXPECT_EQ(shown("21 Nov 97 09:55:06 GMT"), "11/21 18:55");
  EXPECT_EQ(shown("Tue, 1 Jul 2003 10:52:37 +0200"), "07/01 17:52");
  EXPECT_EQ(shown("Mon, 2 Jan 2006 15:04:05 EDT"), "01/03 04:04");
  EXPECT_EQ(shown("Sat, 3 Feb 2024 01:02:03 +0900 (JST)"), "02/03 01:02");
  EXPECT_EQ(shown("Sat, 29 Feb 2020 23:59 +0000"), "03/01 08:59");  // no seconds, a leap day
  // A military letter means -0000 (RFC 5322). Python: no zone at all (a
  // naive time).
  EXPECT_EQ(shown("1 Jan 2020 00:00:00 A"), "01/01 09:00");
  EXPECT_EQ(shown("soon"), "soon");  // no date: as it came
  long long utc = 0;
  ASSERT_TRUE(bw::ParseMailDate("21 Nov 97 09:55:06 GMT", &utc));
  EXPECT_EQ(utc, 880106106);  // 1997, not the year 97
}

TEST(NewMailList, HoldsTheNewestTwoHundredAndTipsTheNewestThree) {
  bw::NewMailList list;
  for (int check = 0; check < 70; ++check) {
    std::vector<bw::MailHeader> batch;  // newest first
    for (int k = 2; k >= 0; --k) {
      const std::string n = std::to_string(check * 3 + k);
      batch.push_back({std::u16string(n.begin(), n.end()), u"s" + std::u16string(n.begin(), n.end()), u"01/01 00:00"});
    }
    list.Add(u"home", batch);
  }
  ASSERT_EQ(list.Entries().size(), 200u);
  EXPECT_EQ(list.Entries().front().from, u"209");
  EXPECT_EQ(list.Entries().back().from, u"10");
  EXPECT_EQ(list.TooltipText(), u"209 - s209\r\n208 - s208\r\n207 - s207");
  EXPECT_EQ(bw::NewMailList().TooltipText(), u"");
}

}  // namespace
