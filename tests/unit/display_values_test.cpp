// Display values and argument macros over a scripted checker state.
#include <ctime>
#include <string>
#include <vector>

#include "checker/core/check_state.h"
#include "checker/core/display_values.h"
#include "checker/core/macros.h"
#include "tests/unit/test_support.h"

namespace {

struct FakeAccount {
  int state;
  std::string st, nr, at;
};

class FakeState : public bw::DisplaySource {
 public:
  std::time_t LastCheckTime() const override { return last; }
  int TotalUnread() const override { return unread; }
  bool AnyEmergency() const override { return emergency; }
  int AccountCount() const override { return static_cast<int>(accounts.size()); }
  int AccountCheckState(int i) const override { return accounts.at(i).state; }
  std::string AccountAttributeText(int i, const std::string& code) const override {
    const FakeAccount& a = accounts.at(i);
    if (code == "ST") return a.st;
    if (code == "NR") return a.nr;
    if (code == "AT") return a.at;
    return "Undef";
  }

  std::time_t last = 0;
  int unread = 0;
  bool emergency = false;
  std::vector<FakeAccount> accounts;
};

// A local time of 09:05 on some day, whatever the machine's time zone.
std::time_t NineOhFive() {
  std::tm t{};
  t.tm_year = 124;
  t.tm_mon = 4;
  t.tm_mday = 6;
  t.tm_hour = 9;
  t.tm_min = 5;
  t.tm_isdst = -1;
  return std::mktime(&t);
}

FakeState TwoAccounts() {
  FakeState s;
  s.accounts = {{1, "one ok", "3", "09:05"}, {1, "two ok", "4", "--:--"}};
  return s;
}

TEST(DisplayValues, FaceShowsStoppedWhenEveryAccountIsSuspendedOrRefused) {
  FakeState s = TwoAccounts();
  s.accounts[0].state = bw::AccountCodes::Suspended;
  s.accounts[1].state = bw::AccountCodes::ServerRefused;
  s.last = NineOhFive();
  EXPECT_EQ(bw::FaceText(s), "停止");
  s.accounts.clear();
  EXPECT_EQ(bw::FaceText(s), "停止");
}

TEST(DisplayValues, FaceShowsWaitingOrTimeAndCountWithTheEmergencyMark) {
  FakeState s = TwoAccounts();
  s.accounts[0].state = bw::AccountCodes::Suspended;  // the second one still counts
  EXPECT_EQ(bw::FaceText(s), "待機中");
  s.emergency = true;
  EXPECT_EQ(bw::FaceText(s), "(緊急)\r\n待機中");
  s.last = NineOhFive();
  s.unread = 7;
  EXPECT_EQ(bw::FaceText(s), "(緊急)09:05\r\n未読数=7");
  s.emergency = false;
  EXPECT_EQ(bw::FaceText(s), "09:05\r\n未読数=7");
  EXPECT_EQ(bw::BuildDisplayValue(s, "CP"), "09:05\r\n未読数=7");
}

TEST(DisplayValues, TimeAndCountShowPlaceholdersBeforeTheFirstCheck) {
  FakeState s = TwoAccounts();
  s.unread = 5;
  EXPECT_EQ(bw::BuildDisplayValue(s, "TM"), "--:--");
  EXPECT_EQ(bw::BuildDisplayValue(s, "NR"), "XX");
  s.last = NineOhFive();
  EXPECT_EQ(bw::BuildDisplayValue(s, "TM"), "09:05");
  EXPECT_EQ(bw::BuildDisplayValue(s, "NR"), "5");
}

TEST(DisplayValues, StatusJoinsAccountLinesWithoutTrailingBreakAndUnknownNamesAreEmpty) {
  FakeState s = TwoAccounts();
  EXPECT_EQ(bw::BuildDisplayValue(s, "ST"), "one ok\r\ntwo ok");
  EXPECT_EQ(bw::BuildDisplayValue(s, "XY"), "");
  EXPECT_EQ(bw::BuildDisplayValue(s, "cp"), "");
  s.accounts.clear();
  EXPECT_EQ(bw::BuildDisplayValue(s, "ST"), "");
}

TEST(MacroLookUp, AccountNumberPicksTheAccountAndOutOfRangeGivesEmpty) {
  FakeState s = TwoAccounts();
  s.last = NineOhFive();
  s.unread = 9;
  EXPECT_EQ(bw::LookUpMacroValue(s, "2.NR"), "4");
  EXPECT_EQ(bw::LookUpMacroValue(s, "1.ST"), "one ok");
  EXPECT_EQ(bw::LookUpMacroValue(s, "2.AT"), "--:--");
  EXPECT_EQ(bw::LookUpMacroValue(s, "3.NR"), "");
  EXPECT_EQ(bw::LookUpMacroValue(s, "1.XY"), "Undef");
  // No number before the dot: the code is a display value.
  EXPECT_EQ(bw::LookUpMacroValue(s, ".NR"), "9");
  EXPECT_EQ(bw::LookUpMacroValue(s, "0.TM"), "09:05");
  // The first dot splits; the rest is the code.
  EXPECT_EQ(bw::LookUpMacroValue(s, "1.N.R"), "Undef");
}

TEST(MacroExpansion, NamesExpandAndBrokenPatternsStayAsWritten) {
  FakeState s = TwoAccounts();
  s.last = NineOhFive();
  s.unread = 12;
  EXPECT_EQ(bw::ExpandMacros(s, "-n $(NR) -a $(2.NR)$(TM)"), "-n 12 -a 409:05");
  EXPECT_EQ(bw::ExpandMacros(s, "$(3.NR)|$(ABCDE)|$(ABCDEF)"), "||$(ABCDEF)");
  EXPECT_EQ(bw::ExpandMacros(s, "$(nr) $() $x $$(NR) $(N R)"), "$(nr) $() $x $$(NR) $(N R)");
  EXPECT_EQ(bw::ExpandMacros(s, "$(NR"), "$(NR");
  EXPECT_EQ(bw::ExpandMacros(s, "a$"), "a$");
  EXPECT_EQ(bw::ExpandMacros(s, "a$("), "a$(");
  EXPECT_EQ(bw::ExpandMacros(s, "$(NR)"), "12");
}

TEST(MacroExpansion, BackslashEscapesDollarKeepsOtherPairsAndIsDroppedAtTheEnd) {
  FakeState s = TwoAccounts();
  s.last = NineOhFive();
  s.unread = 1;
  EXPECT_EQ(bw::ExpandMacros(s, "\\$(NR) c:\\mail\\$(NR)"), "$(NR) c:\\mail$(NR)");
  EXPECT_EQ(bw::ExpandMacros(s, "x\\\\$(NR)"), "x\\\\1");
  EXPECT_EQ(bw::ExpandMacros(s, "end\\"), "end");
  // A breaking "$" or backslash starts nothing new.
  EXPECT_EQ(bw::ExpandMacros(s, "$(N$(NR)"), "$(N$(NR)");
  EXPECT_EQ(bw::ExpandMacros(s, "$(N\\$(NR)"), "$(N\\1");
}

TEST(MacroExpansion, ShiftJisTrailBytesAreNeverTakenForDollarOrBackslash) {
  FakeState s = TwoAccounts();
  s.last = NineOhFive();
  s.unread = 2;
  // "ソ" is 0x83 0x5C: its trail byte is a backslash.
  const std::string so = "\x83\x5C";
  EXPECT_EQ(bw::ExpandMacros(s, so + "$(NR)"), so + "2");
  // A lead byte whose trail is "$" (0x24 is no valid trail, but the rule is
  // by position, not by validity).
  EXPECT_EQ(bw::ExpandMacros(s, "\x81$(NR)"), "\x81$(NR)");
  // A lead byte that breaks a pattern is copied with its trail byte.
  EXPECT_EQ(bw::ExpandMacros(s, "$(" + so + "$(NR)"), "$(" + so + "2");
  EXPECT_EQ(bw::ExpandMacros(s, "$" + so + "$(NR)"), "$" + so + "2");
  EXPECT_EQ(bw::ExpandMacros(s, "\\" + so + "$(NR)"), "\\" + so + "2");
  // A lead byte standing last is copied and nothing beyond it is read.
  EXPECT_EQ(bw::ExpandMacros(s, "ab\x83"), "ab\x83");
  EXPECT_EQ(bw::ExpandMacros(s, "$(\x83"), "$(\x83");
  EXPECT_EQ(bw::ExpandMacros(s, ""), "");
}

}  // namespace
