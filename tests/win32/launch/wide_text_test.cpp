// The conversions at the Windows boundary (platform/win32/wide_text.cpp).
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/wide_text.h"

namespace {

TEST(WideText, ShiftJisTextsGoThereAndBackByteForByte) {
  // Kanji, half-width katakana and a backslash-trail byte (0x5C in "表").
  const std::string sjis = "未読数=0 ｱｶｳﾝﾄ C:\\表\\Bellwick.ini";
  const std::wstring wide = bw::Wide(sjis);
  EXPECT_EQ(wide.substr(0, 3), L"\u672A\u8AAD\u6570");
  EXPECT_EQ(wide.substr(6, 4), L"\uFF71\uFF76\uFF73\uFF9D");
  bool lossless = false;
  EXPECT_EQ(bw::Narrow(wide, &lossless), sjis);
  EXPECT_TRUE(lossless);
}

TEST(WideText, CharactersShiftJisCannotHoldAreReportedNotReplaced) {
  // An emoji in a file name, and a letter a best fit would turn into "e".
  for (const std::wstring& text : {std::wstring(L"C:\\a\U0001F600.ini"), std::wstring(L"caf\u00E9")}) {
    bool lossless = true;
    bw::Narrow(text, &lossless);
    EXPECT_FALSE(lossless);
  }
}

}  // namespace
