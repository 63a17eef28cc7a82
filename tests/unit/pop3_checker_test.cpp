// The run-time account without a server: which accounts are checked, the
// status and attribute texts, counters, simulated checks and the end of
// emergency mode.
#include <ctime>
#include <deque>

#include "checker/core/pop3_checker.h"
#include "checker/core/simulation.h"
#include "tests/unit/test_support.h"

namespace {

using bw::Pop3Checker;
using bw_test::Crlf;

std::time_t LocalTime(int hour, int minute) {
  std::tm t{};
  t.tm_year = 2024 - 1900;
  t.tm_mon = 4;
  t.tm_mday = 10;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_isdst = -1;
  return std::mktime(&t);
}

class Account : public bw_test::ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    StartLog();
    account.ConnectionName = "home";
    account.CycleMinutes = 15;
  }
  void TearDown() override {
    bw::SetSimulationMode(false);
    bw::SetSimulationHooks(nullptr, nullptr);
    ScratchTest::TearDown();
  }
  // Simulation with fixed draws: each check takes one draw for its sleep,
  // one for "any mail?" and one for how many.
  void Simulate(std::initializer_list<int> messagesPerCheck) {
    for (int m : messagesPerCheck) {
      draws.push_back(0);
      draws.push_back(m == 0 ? 0 : 1);
      if (m) draws.push_back(m - 1);
    }
    bw::SetSimulationHooks(
        [this] {
          int d = draws.empty() ? 0 : draws.front();
          if (!draws.empty()) draws.pop_front();
          return d;
        },
        [](int) {});
    bw::SetSimulationMode(true);
  }
  std::string Status() {
    std::string s;
    account.StatusText(s);
    return s;
  }
  std::string Attribute(const char* code) {
    bw::AttributeRequest r{code, "stale"};
    account.AttributeText(r);
    return r.result;
  }
  Pop3Checker account;
  std::deque<int> draws;
};

TEST_F(Account, NewAccountIsUnprocessedAndNotCheckable) {
  EXPECT_EQ(account.CheckState, Pop3Checker::Unprocessed);
  EXPECT_EQ(account.ResolvedPort, 0);
  EXPECT_EQ(Status(), "home:未処理");
  EXPECT_EQ(Attribute("AT"), "--:--");
  EXPECT_EQ(account.Check(), -1);
}

TEST_F(Account, SuspendedOrRefusedAccountIsSkippedAndLeavesEmergency) {
  for (int state : {Pop3Checker::Suspended, Pop3Checker::ServerRefused, Pop3Checker::Communicating}) {
    account.CheckState = state;
    account.StartEmergency(std::time(nullptr));
    EXPECT_EQ(account.Check(), -1);
    EXPECT_FALSE(account.InEmergency());
    EXPECT_EQ(account.EmergencyStart, 0);
  }
  EXPECT_EQ(LogText().find("--- [home]"), std::string::npos);  // nothing was attempted
}

TEST_F(Account, StatusTextShowsTimeCountsCycleAndEmergency) {
  account.CheckState = Pop3Checker::Ready;
  account.LastCheckTime = LocalTime(12, 5);
  account.MessageCount = 3;
  account.NewCount = 1;
  account.UseUIDL = 1;
  account.StartEmergency(std::time(nullptr));
  EXPECT_EQ(Status(), "(緊急)home:12:05 未読数=3(1) [15分周期]");
  account.EndEmergency();
  account.UseUIDL = 0;
  EXPECT_EQ(Status(), "home:12:05 未読数=3 [15分周期]");
  EXPECT_EQ(Attribute("ST"), "home:12:05 未読数=3 [15分周期]");
  EXPECT_EQ(Attribute("AT"), "12:05");
  EXPECT_EQ(Attribute("NR"), "3");
  EXPECT_EQ(Attribute("NM"), "1");
  EXPECT_EQ(Attribute("CT"), "15");
  EXPECT_EQ(Attribute("XY"), "Undef");
  EXPECT_EQ(Attribute(""), "Undef");
}

TEST_F(Account, FailureStatesShowTheirCauseTexts) {
  struct Case {
    int state, cause;
    const char* text;
  } cases[] = {
      {Pop3Checker::Suspended, 1, "home:休止中 (DNSｴﾗｰ)"},
      {Pop3Checker::RetryWait, 1, "home:ﾘﾄﾗｲ待ち (DNSﾀｲﾑｱｳﾄ)"},
      {Pop3Checker::ServerRefused, 3, "home:ｻｰﾊﾞ拒絶 (接続拒否応答)"},
      {Pop3Checker::RetryWait, 4, "home:ﾘﾄﾗｲ待ち (ｱｶｳﾝﾄ認証ﾀｲﾑｱｳﾄ)"},
      {Pop3Checker::Suspended, 5, "home:休止中 (通信ｴﾗｰ)"},
      {Pop3Checker::RetryWait, 5, "home:ﾘﾄﾗｲ待ち (通信ﾀｲﾑｱｳﾄ)"},
      {Pop3Checker::Suspended, 2, "home:休止中 (Socketｴﾗｰ)"},
      {Pop3Checker::Suspended, 0, "home:休止中 (ｴﾗｰ)"},
      {Pop3Checker::Communicating, 0, "home:通信処理中"},
      {9, 0, "home:???"},
  };
  for (const Case& c : cases) {
    account.CheckState = c.state;
    account.ErrorCause = c.cause;
    EXPECT_EQ(Status(), c.text);
  }
}

TEST_F(Account, ChallengeIsTheLatestOpeningBracketBeforeTheFirstClosingOne) {
  struct Case {
    const char* greeting;
    const char* challenge;
  } cases[] = {
      {"+OK <a> <b>\r\n", "<a>"},
      {"+OK <a<b>\r\n", "<b>"},
      {"+OK a>b\r\n", ""},
      {"+OK <unclosed\r\n", ""},
      {"+OK POP3 ready <4213.1039585000.pop>\r\n", "<4213.1039585000.pop>"},
  };
  for (const Case& c : cases) {
    char line[bw::kPop3LineBufferSize];
    std::snprintf(line, sizeof line, "%s", c.greeting);
    account.Challenge = "stale";
    account.TakeChallenge(line);
    EXPECT_EQ(account.Challenge, c.challenge) << c.greeting;
  }
  EXPECT_NE(LogText().find(Crlf("\tChallengeStrings=<4213.1039585000.pop>\n")), std::string::npos);
}

TEST_F(Account, ResetCountsReturnsAnyStateToUnprocessedLooking) {
  Simulate({2});
  account.CheckState = Pop3Checker::Ready;
  account.UseUIDL = 1;
  ASSERT_EQ(account.Check(), 0);
  ASSERT_EQ(account.MessageCount, 2u);
  account.CheckState = Pop3Checker::Suspended;
  account.ResetCounts();
  EXPECT_EQ(account.CheckState, Pop3Checker::Ready);
  EXPECT_EQ(account.MessageCount, 0u);
  EXPECT_EQ(account.NewCount, 0);
  EXPECT_TRUE(account.UidlMemory.empty());
  EXPECT_EQ(Status(), "home:未処理");
  EXPECT_EQ(Attribute("AT"), "--:--");
}

TEST_F(Account, SimulatedChecksWithoutUidlCarryNewMailForward) {
  Simulate({2, 3, 1, 0});
  account.CheckState = Pop3Checker::Ready;
  account.UseUIDL = 0;
  const unsigned counts[] = {0, 2, 7, 0};
  const int fresh[] = {2, 5, 6, 0};
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(account.Check(), 0);
    EXPECT_EQ(account.MessageCount, counts[i]) << i;
    EXPECT_EQ(account.NewCount, fresh[i]) << i;
  }
  EXPECT_TRUE(LogText().find(Crlf("home : ｼﾐｭﾚｰﾄ接続時間(")) != std::string::npos);
}

TEST_F(Account, SimulatedChecksWithUidlListInventedMessages) {
  Simulate({3, 0});
  account.CheckState = Pop3Checker::RetryWait;
  account.UseUIDL = 1;
  ASSERT_EQ(account.Check(), 0);
  EXPECT_EQ(account.CheckState, Pop3Checker::Ready);
  ASSERT_EQ(account.UidlMemory.size(), 3u);
  EXPECT_EQ(account.UidlMemory[2].uid, account.UidlMemory[2].number);
  EXPECT_EQ(account.UidlMemory[2].uid.substr(account.UidlMemory[2].uid.size() - 2), "_2");
  EXPECT_EQ(account.NewCount, 3);
  ASSERT_EQ(account.Check(), 0);
  EXPECT_EQ(account.MessageCount, 0u);
  EXPECT_EQ(account.NewCount, 0);
}

TEST_F(Account, SimulatedImapAccountCountsItsMessagesAsAUidlAccountDoes) {
  // Its status line shows "count(new)", so the STAT simulation's carried
  // new mail would read as more new than waiting.
  Simulate({3});
  account.CheckState = Pop3Checker::Ready;
  account.UseUIDL = 0;
  account.Protocol = 1;
  ASSERT_EQ(account.Check(), 0);
  EXPECT_EQ(account.MessageCount, 3u);
  EXPECT_EQ(account.NewCount, 3);
  EXPECT_NE(Status().find(" 未読数=3(3) [15分周期]"), std::string::npos) << Status();
}

TEST_F(Account, EmergencyEndsOnMailOrAfterFifteenMinutes) {
  Simulate({0, 0, 1});
  account.CheckState = Pop3Checker::Ready;
  account.UseUIDL = 1;
  account.StartEmergency(std::time(nullptr));
  account.EmergencyStart -= 899;
  ASSERT_EQ(account.Check(), 0);
  EXPECT_TRUE(account.InEmergency());  // empty mailbox, not yet 900 s
  account.EmergencyStart -= 2;
  ASSERT_EQ(account.Check(), 0);
  EXPECT_FALSE(account.InEmergency());  // more than 900 s
  account.StartEmergency(std::time(nullptr));
  ASSERT_EQ(account.Check(), 0);
  EXPECT_FALSE(account.InEmergency());  // mail seen
  EXPECT_EQ(account.EmergencyStart, 0);
}

// The cut-off is "more than 900 s": at exactly 900 s emergency mode goes on.
// The difference counts either way, so a clock set back ends it too.
TEST(EmergencyRule, EndsOnlyOnceMoreThan900SecondsHavePassed) {
  EXPECT_FALSE(bw::EmergencyRunOut(10899, 10000));
  EXPECT_FALSE(bw::EmergencyRunOut(10900, 10000));
  EXPECT_TRUE(bw::EmergencyRunOut(10901, 10000));
  EXPECT_FALSE(bw::EmergencyRunOut(9100, 10000));
  EXPECT_TRUE(bw::EmergencyRunOut(9099, 10000));
}

}  // namespace
