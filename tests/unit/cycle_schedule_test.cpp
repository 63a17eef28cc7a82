// The check cycle against a fake window: timers with Win32 semantics on a
// virtual clock, scripted accounts and a journal of what the window was asked.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "checker/core/check_cycle.h"
#include "checker/core/pop3_checker.h"
#include "checker/core/time_text.h"
#include "common/core/log.h"
#include "platform/message_box.h"
#include "tests/unit/test_support.h"

namespace {

using bw_test::Crlf;
using Times = std::vector<long long>;

constexpr std::time_t kEpoch = 1700000000;

struct FakeAccount {
  int state = bw::AccountCodes::Ready;
  std::uint32_t mailbox = 0;  // what the next successful check finds
  std::uint32_t count = 0;
  std::time_t last = 0;
  bool emergency = false;
  std::time_t emergencyStart = 0;
  int cycle = 15;
  int result = 0;                  // the next check's result
  int stateAfterFailure = bw::AccountCodes::Suspended;
  int cause = 0;
  int causeAfterFailure = bw::AccountCodes::CauseConnection;
  // The failing step and its code, as the account would take them.
  bw::CheckStep failStep = bw::CheckStep::Stat;
  int failCode = 1;
  Times checkedAt;
  // Push: the timer it asks for (-1 polled), the event its connection
  // reports next, how often its connection was closed.
  long long pushMs = -1;
  int pushEvent = 0;
  int pushEnded = 0;
  int addressForgotten = 0;
};

// Accounts and window in one: SetTimer periods repeat until KillTimer, as on
// Windows, so a handler that forgets to kill its timer is caught.
class Cycle : public bw_test::ScratchTest, public bw::CycleAccounts, public bw::CycleHost {
 protected:
  struct Timer {
    long long due;
    unsigned period;
  };

  void SetUp() override {
    ScratchTest::SetUp();
    StartLog();
    settings.InitSleep_Sec = 5;
    settings.Consecutive_Sec = 5;
    settings.AutoWakeup = 0;
    settings.AutoKillMethod = 0;
  }

  void Accounts(int n) {
    accounts.assign(static_cast<size_t>(n), FakeAccount{});
    for (int i = 0; i < n; ++i) accounts[static_cast<size_t>(i)].cycle = 15 + i;
  }
  FakeAccount& A(int i) { return accounts[static_cast<size_t>(i)]; }

  // Fires every timer that falls due up to `until` (ms), earliest first.
  void RunUntil(long long until) {
    for (int guard = 0; guard < 10000; ++guard) {
      auto next = timers.end();
      for (auto it = timers.begin(); it != timers.end(); ++it)
        if (next == timers.end() || it->second.due < next->second.due) next = it;
      if (next == timers.end() || next->second.due > until) break;
      unsigned id = next->first;
      now = next->second.due;
      next->second.due += next->second.period;
      cycle.OnTimer(id);
    }
    now = until;
  }
  long long Due(unsigned id) const {
    auto it = timers.find(id);
    return it == timers.end() ? -1 : it->second.due;
  }
  std::string Log() const { return LogText(); }
  int Count(const std::string& call) const {
    int n = 0;
    for (const auto& c : journal) n += c == call;
    return n;
  }

  // CycleAccounts
  int Count() const override { return static_cast<int>(accounts.size()); }
  int State(int i) const override { return accounts[static_cast<size_t>(i)].state; }
  void SetState(int i, int s) override { A(i).state = s; }
  int Check(int i) override {
    FakeAccount& a = A(i);
    a.checkedAt.push_back(now);
    if (a.result != 0) {
      bw::NetworkCircumstance circumstance =
          !networkUp ? bw::NetworkCircumstance::Down
                     : network.wakeWindow ? bw::NetworkCircumstance::AfterWake : bw::NetworkCircumstance::Usual;
      const bw::CheckOutcome outcome = bw::NetworkAdjusted({a.stateAfterFailure, a.causeAfterFailure},
                                                           a.failStep, a.failCode, circumstance);
      a.state = outcome.state;
      a.cause = outcome.cause;
      a.emergency = false;
      return a.result;
    }
    a.state = bw::AccountCodes::Ready;
    a.count = a.mailbox;
    a.last = Now();
    if (a.emergency && (a.count > 0 || Now() - a.emergencyStart > 900)) a.emergency = false;
    return 0;
  }
  void ResetCounts(int i) override {
    A(i).count = 0;
    A(i).last = 0;
    A(i).state = bw::AccountCodes::Ready;
  }
  std::uint32_t MessageCount(int i) const override { return accounts[static_cast<size_t>(i)].count; }
  std::time_t LastCheckTime(int i) const override { return accounts[static_cast<size_t>(i)].last; }
  bool InEmergency(int i) const override { return accounts[static_cast<size_t>(i)].emergency; }
  void StartEmergency(int i, std::time_t start) override {
    A(i).emergency = true;
    A(i).emergencyStart = start;
  }
  void EndEmergency(int i) override {
    A(i).emergency = false;
    A(i).emergencyStart = 0;
  }
  int CycleMinutes(int i) const override { return accounts[static_cast<size_t>(i)].cycle; }
  std::string ConnectionName(int i) const override { return "acct" + std::to_string(i); }
  int ErrorCause(int i) const override { return accounts[static_cast<size_t>(i)].cause; }
  void SetErrorCause(int i, int cause) override { A(i).cause = cause; }
  long long PushTimerMs(int i) const override { return accounts[static_cast<size_t>(i)].pushMs; }
  int PushReadable(int i) override {
    journal.push_back("push?");
    if (A(i).pushEvent == 1) A(i).count = A(i).mailbox;
    return A(i).pushEvent;
  }
  void EndPush(int i) override { ++A(i).pushEnded; }
  void ForgetAddress(int i) override { ++A(i).addressForgotten; }

  // CycleHost
  void ArmTimer(unsigned id, unsigned ms) override { timers[id] = Timer{now + ms, ms}; }
  void KillTimer(unsigned id) override { timers.erase(id); }
  int RemoveQueuedTimerMessages() override {
    int n = queued;
    queued = 0;
    return n;
  }
  int PlatformFamily() override { return family; }
  bool ScreenSaverDesktopOpens() override {
    journal.push_back("desktop?");
    return saver;
  }
  bool ScreenSaverWindowExists() override {
    journal.push_back("window?");
    return saver;
  }
  void SetButtonPressed(bool p) override { journal.push_back(p ? "press" : "release"); }
  void ShowConnectingFace(const std::string& text) override { journal.push_back("face " + text); }
  void ShowFaceText() override { journal.push_back("face"); }
  void Restore() override { journal.push_back("restore"); }
  void RunAutoExecSequence() override { journal.push_back("sequence@" + std::to_string(now)); }
  void TerminateAutoExecApplications() override { journal.push_back("terminate"); }
  bool AskYesNo(const std::string& text, const std::string& caption) override {
    boxes.push_back(bw_test::Box{text, caption, 0});
    return answer == bw::kIdYes;
  }
  bool WindowRectangle(int& l, int& t, int& w, int& h) override {
    l = 10, t = 20, w = 64, h = 48;
    return true;
  }
  void PostQuit(int code) override { journal.push_back("quit " + std::to_string(code)); }
  void DestroyWindow() override { journal.push_back("destroy"); }
  std::time_t Now() override { return kEpoch + now / 1000; }
  bool NetworkUp() override { return networkUp; }

  bw::AncestryPop3Controller settings;
  std::vector<FakeAccount> accounts;
  std::map<unsigned, Timer> timers;
  std::vector<std::string> journal;
  long long now = 0;
  int queued = 0;
  int family = bw::kFamilyNt;
  bool saver = false;
  int answer = bw::kIdNo;
  bool networkUp = true;
  bw::CycleState state;
  bw::NetworkConditions network;
  bw::CheckCycle cycle{settings, *this, *this, state, &network};
};

TEST_F(Cycle, StartupStaggersFirstChecksAndSweepsAfterTheLast) {
  Accounts(3);
  cycle.ArmAtStartup();
  EXPECT_EQ(Due(bw::kSweepTimerId), 20000);
  RunUntil(20000);
  EXPECT_EQ(A(0).checkedAt, Times{5000});
  EXPECT_EQ(A(1).checkedAt, Times{10000});
  EXPECT_EQ(A(2).checkedAt, Times{15000});
  EXPECT_EQ(Due(bw::kSweepTimerId), -1);  // one-shot
  EXPECT_EQ(state.sweepPending, 0);
  // Each account's next check is its own CycleMinutes after its last.
  EXPECT_EQ(Due(0), 5000 + 15 * 60000);
  EXPECT_EQ(Due(2), 15000 + 17 * 60000);
  RunUntil(5000 + 15 * 60000);
  EXPECT_EQ(A(0).checkedAt, (Times{5000, 5000 + 15 * 60000}));
  EXPECT_EQ(A(1).checkedAt.size(), 1u);
}

TEST_F(Cycle, UnscheduledAccountsCloseTheStaggerAndZeroSettingsFireAtOnce) {
  Accounts(3);
  A(1).state = bw::AccountCodes::Suspended;
  cycle.ArmAtStartup();
  EXPECT_EQ(Due(0), 5000);
  EXPECT_EQ(Due(1), -1);
  EXPECT_EQ(Due(2), 10000);
  EXPECT_EQ(Due(bw::kSweepTimerId), 15000);

  timers.clear();
  settings.InitSleep_Sec = 0;
  settings.Consecutive_Sec = 0;
  A(1).state = bw::AccountCodes::RetryWait;
  cycle.ArmAtStartup();
  for (unsigned id : {0u, 1u, 2u, unsigned{bw::kSweepTimerId}}) EXPECT_EQ(Due(id), 0) << id;
}

TEST_F(Cycle, MailDuringTheSweepIsHeldBackAndStartsTheSequenceOnceAtTheSweep) {
  Accounts(2);
  A(0).mailbox = 2;
  A(1).mailbox = 1;
  cycle.ArmAtStartup();
  RunUntil(14999);
  EXPECT_EQ(Count("sequence@15000"), 0);
  EXPECT_EQ(Log(), Crlf("未読発見 : 連続起動 自動実行ｱﾌﾟﾘ実行保留.\n"
                        "待機ﾓｰﾄﾞへ遷移.  次回更新[15分]後.\n"
                        "未読発見 : 連続起動 自動実行ｱﾌﾟﾘ実行保留.\n"
                        "待機ﾓｰﾄﾞへ遷移.  次回更新[16分]後.\n"));
  EXPECT_EQ(state.totalUnread, 3);
  RunUntil(15000);
  EXPECT_EQ(Count("sequence@15000"), 1);
  EXPECT_NE(Log().find(Crlf("自動実行ｱﾌﾟﾘ　実行保留解除\n")), std::string::npos);
  // Mail left on the server starts the sequence again at every later check.
  RunUntil(5000 + 15 * 60000);
  EXPECT_EQ(Count("sequence@905000"), 1);
}

TEST_F(Cycle, SweepWithoutUnreadMailStartsNothing) {
  Accounts(1);
  cycle.ArmAtStartup();
  RunUntil(10000);
  EXPECT_EQ(state.sweepPending, 0);
  EXPECT_EQ(Log(), Crlf("未読なし.待機ﾓｰﾄﾞへ遷移.  次回更新[15分]後.\n"));
  EXPECT_EQ(journal, (std::vector<std::string>{"press", "face acct0\r\n接続中", "face", "release"}));
}

TEST_F(Cycle, UnreadMailWakesTheButtonOnlyWithAutoWakeup) {
  Accounts(1);
  A(0).mailbox = 1;
  state.sweepPending = 0;
  cycle.AccountTimerFired(0);
  EXPECT_EQ(Count("restore"), 0);
  settings.AutoWakeup = 1;
  cycle.AccountTimerFired(0);
  EXPECT_EQ(Count("restore"), 1);
  EXPECT_EQ(Count("sequence@0"), 2);
  EXPECT_NE(Log().find("未読発見 : ボタン自動復帰.  待機ﾓｰﾄﾞへ遷移."), std::string::npos);
}

TEST_F(Cycle, EmptyMailboxTerminatesTheApplicationsOnlyWithBit0x20) {
  Accounts(1);
  settings.AutoKillMethod = 0x0052;
  cycle.AccountTimerFired(0);
  EXPECT_EQ(Count("terminate"), 0);
  settings.AutoKillMethod = 0x0020;
  cycle.AccountTimerFired(0);
  EXPECT_EQ(Count("terminate"), 1);
  A(0).result = -10;  // a failed check is no empty mailbox
  A(0).stateAfterFailure = bw::AccountCodes::RetryWait;
  cycle.AccountTimerFired(0);
  EXPECT_EQ(Count("terminate"), 1);
}

TEST_F(Cycle, FailedCheckIsLoggedAndOnlyContinuingStatesStayScheduled) {
  Accounts(2);
  A(0).result = -10;
  A(0).stateAfterFailure = bw::AccountCodes::RetryWait;
  A(1).result = -30;
  cycle.ArmAtStartup();
  RunUntil(10000);
  EXPECT_EQ(Log(), Crlf("エラー:Code=-10\n待機ﾓｰﾄﾞへ遷移.  次回更新[15分]後.\n"
                        "エラー:Code=-30\n"));
  EXPECT_EQ(Due(0), 5000 + 15 * 60000);
  EXPECT_EQ(Due(1), -1);
  EXPECT_EQ(journal.back(), "release");
  // The waiting account is checked again at its next cycle, the other never.
  RunUntil(5000 + 15 * 60000);
  EXPECT_EQ(A(0).checkedAt, (Times{5000, 5000 + 15 * 60000}));
  EXPECT_EQ(A(1).checkedAt.size(), 1u);
}

TEST_F(Cycle, TimerOfAMissingOrDroppedAccountOnlyRefreshesTheFace) {
  Accounts(1);
  A(0).state = bw::AccountCodes::Suspended;
  timers[0] = Timer{0, 1000};
  timers[7] = Timer{0, 1000};
  RunUntil(0);
  EXPECT_EQ(journal, (std::vector<std::string>{"face", "face"}));
  EXPECT_TRUE(timers.empty());
  EXPECT_TRUE(A(0).checkedAt.empty());
}

TEST_F(Cycle, EveryFiredTimerIsKilledEvenOneTheCycleDoesNotKnow) {
  Accounts(1);
  for (unsigned id : {300u, 10000u}) timers[id] = Timer{0, 100};
  RunUntil(1000);
  EXPECT_TRUE(timers.empty());
  EXPECT_TRUE(journal.empty());
}

TEST_F(Cycle, CheckNowRetriesRefusedServersLeavesSuspendedOutAndRestartsTheSweep) {
  Accounts(4);
  A(0).state = bw::AccountCodes::ServerRefused;
  A(1).state = bw::AccountCodes::Suspended;
  A(3).mailbox = 1;
  cycle.ArmAtStartup();
  RunUntil(30000);
  now = 60000;
  queued = 2;
  cycle.CheckNow();
  EXPECT_EQ(A(0).state, bw::AccountCodes::RetryWait);
  EXPECT_EQ(A(1).state, bw::AccountCodes::Suspended);
  EXPECT_EQ(state.sweepPending, 1);
  EXPECT_EQ(Due(0), 60000);
  EXPECT_EQ(Due(1), -1);
  EXPECT_EQ(Due(2), 65000);
  EXPECT_EQ(Due(3), 70000);
  EXPECT_EQ(Due(bw::kSweepTimerId), 75000);
  EXPECT_NE(Log().find(Crlf("今すぐ更新開始.\nRemove WM_TIMER Event.\nRemove WM_TIMER Event.\n")),
            std::string::npos);
  RunUntil(75000);
  EXPECT_EQ(A(0).checkedAt, Times{60000});
  EXPECT_EQ(A(2).checkedAt, (Times{5000, 65000}));  // the old timer is gone
  EXPECT_EQ(Count("sequence@75000"), 1);
  EXPECT_EQ(Count("sequence@70000"), 0);
}

TEST_F(Cycle, EmergencyAccountsRunEvery30SecondsUntilTheCheckEndsIt) {
  Accounts(3);
  A(2).state = bw::AccountCodes::Suspended;
  A(2).emergency = true;
  cycle.SetEmergencyMode({1, 2, 9});
  EXPECT_EQ(Due(0), 15 * 60000);
  EXPECT_EQ(Due(1), 5000);
  EXPECT_EQ(Due(2), -1);
  EXPECT_EQ(A(1).emergencyStart, kEpoch);
  EXPECT_EQ(state.anyEmergency, 1);
  EXPECT_EQ(journal.back(), "face");
  RunUntil(65000);
  EXPECT_EQ(A(1).checkedAt, (Times{5000, 35000, 65000}));
  EXPECT_NE(Log().find(Crlf("未読なし.待機ﾓｰﾄﾞへ遷移(緊急ﾓｰﾄﾞ).   次回更新[30秒]後.\n")),
            std::string::npos);
  A(1).mailbox = 1;  // mail ends emergency mode: back to the account's cycle
  RunUntil(95000);
  EXPECT_FALSE(A(1).emergency);
  EXPECT_EQ(Due(1), 95000 + 16 * 60000);
  EXPECT_EQ(state.anyEmergency, 0);

  // An empty selection restarts every scheduled account's normal cycle.
  now = 100000;
  A(0).emergency = true;
  cycle.SetEmergencyMode({});
  EXPECT_FALSE(A(0).emergency);
  EXPECT_TRUE(A(2).emergency);  // not scheduled: untouched
  EXPECT_EQ(Due(0), 100000 + 15 * 60000);
  EXPECT_EQ(Due(1), 100000 + 16 * 60000 + 5000);
  EXPECT_EQ(state.anyEmergency, 0);
}

TEST_F(Cycle, ScreenSaverPostponesNormalAccountsButNotEmergencyOnes) {
  Accounts(2);
  A(1).emergency = true;
  A(1).emergencyStart = kEpoch;
  saver = true;
  cycle.AccountTimerFired(0);
  EXPECT_EQ(Count("desktop?"), 0);  // not asked while StopDuringSSaving is off
  EXPECT_EQ(A(0).checkedAt.size(), 1u);

  settings.StopDuringSSaving = 1;
  journal.clear();
  now = 7000;
  cycle.AccountTimerFired(0);
  EXPECT_EQ(journal, std::vector<std::string>{"desktop?"});
  EXPECT_EQ(A(0).checkedAt.size(), 1u);
  EXPECT_EQ(Due(0), 7000 + 15 * 60000);
  EXPECT_NE(Log().find(Crlf("--- [acct0] --- ｽｸﾘｰﾝｾｰﾊﾞ稼働中 更新ｽｷｯﾌﾟ " +
                            bw::AsctimeText(kEpoch + 7) + "待機ﾓｰﾄﾞへ遷移.  次回更新[15分]後.\n")),
            std::string::npos);
  cycle.AccountTimerFired(1);
  EXPECT_EQ(A(1).checkedAt.size(), 1u);

  family = bw::kFamilyWindows95;
  saver = false;
  journal.clear();
  cycle.AccountTimerFired(0);
  EXPECT_EQ(journal.front(), "window?");
  EXPECT_EQ(A(0).checkedAt.size(), 2u);
}

TEST_F(Cycle, RecountSumsReadyAccountsAndTakesTheLatestCheckAsUnsigned) {
  Accounts(3);
  A(0).count = 2, A(0).last = 100, A(0).emergency = true;
  A(0).state = bw::AccountCodes::RetryWait;
  A(1).count = 3, A(1).last = 50;
  A(2).count = 4, A(2).last = 70;
  cycle.Recount();
  EXPECT_EQ(state.totalUnread, 7);
  EXPECT_EQ(state.lastCheckTime, 100);
  EXPECT_EQ(state.anyEmergency, 0);
  A(1).emergency = true;
  A(1).count = 0xFFFFFFFFu;
  cycle.Recount();
  EXPECT_EQ(state.anyEmergency, 1);
  EXPECT_EQ(state.totalUnread, 0x7FFFFFFF);
}

TEST_F(Cycle, ResetErrorsReadiesAccountsWithoutArmingTimers) {
  Accounts(2);
  A(0).state = bw::AccountCodes::Suspended;
  A(1).count = 5, A(1).last = 9;
  state.totalUnread = 5, state.lastCheckTime = 9, state.anyEmergency = 1;
  cycle.ResetErrors();
  EXPECT_EQ(A(0).state, bw::AccountCodes::Ready);
  EXPECT_EQ(A(1).count, 0u);
  EXPECT_EQ(state.totalUnread + state.lastCheckTime + state.anyEmergency, 0);
  EXPECT_TRUE(timers.empty());
  EXPECT_EQ(journal, std::vector<std::string>{"face"});
}

TEST_F(Cycle, OverlongAndNegativePeriodsBecomeTheLongestTimer) {
  Accounts(2);
  A(0).cycle = 40000;  // 2 400 000 000 ms overflows an int
  A(1).cycle = -1;
  state.sweepPending = 0;
  cycle.AccountTimerFired(0);
  cycle.AccountTimerFired(1);
  EXPECT_EQ(timers[0].period, 0x7FFFFFFFu);
  EXPECT_EQ(timers[1].period, 0x7FFFFFFFu);
  EXPECT_EQ(bw::TimerPeriod(900000), 900000u);
}

TEST_F(Cycle, ExitAsksFirstAndKeepsTheGeometryOnlyWhenAsked) {
  settings.KeepGeometry = 1;
  EXPECT_FALSE(cycle.ExitCommand());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Bellwickを終了しますか?");
  EXPECT_EQ(boxes[0].caption, "Bellwick");
  EXPECT_TRUE(journal.empty());
  EXPECT_EQ(settings.windowWidthSetting, 0);

  answer = bw::kIdYes;
  EXPECT_TRUE(cycle.ExitCommand());
  EXPECT_EQ(journal, std::vector<std::string>{"quit 0"});
  EXPECT_EQ(settings.windowX, 10);
  EXPECT_EQ(settings.windowY, 20);
  EXPECT_EQ(settings.windowWidthSetting, 64);
  EXPECT_EQ(settings.windowHeightSetting, 48);
  EXPECT_TRUE(cycle.SaveGeometryAtExit());

  settings.KeepGeometry = 0;
  settings.windowX = 0;
  EXPECT_TRUE(cycle.ExitCommand());
  EXPECT_EQ(settings.windowX, 0);
}

TEST_F(Cycle, CloseFromOutsideEndsTheProcessWithoutRewritingTheFile) {
  settings.KeepGeometry = 1;
  cycle.OnClose();
  EXPECT_EQ(Log(), Crlf("WM_CLOSE Detected.\n"));
  EXPECT_EQ(journal, (std::vector<std::string>{"destroy", "quit 0"}));
  EXPECT_FALSE(cycle.SaveGeometryAtExit());
}

// Faults: a failure of the check the sleep cut short sticks (the account
// suspended for good), an older check's failure is undone too, or timers
// keep firing while the machine sleeps.
TEST_F(Cycle, SleepUndoesOnlyTheCheckItCutShortAndStopsEveryTimer) {
  Accounts(2);
  cycle.ArmAtStartup();
  RunUntil(20000);
  A(0).result = -30;
  RunUntil(5000 + 15 * 60000);
  EXPECT_EQ(A(0).state, bw::AccountCodes::Suspended);
  now += 600000;  // the machine sleeps ten minutes after that check
  cycle.OnSuspend();
  EXPECT_EQ(A(0).state, bw::AccountCodes::Suspended);
  EXPECT_TRUE(timers.empty());
  EXPECT_TRUE(cycle.Sleeping());

  cycle.OnResume();
  A(1).result = -10;
  RunUntil(Due(1));
  EXPECT_EQ(A(1).state, bw::AccountCodes::Suspended);
  // The sleep notice comes right after the check it cut short.
  cycle.OnSuspend();
  EXPECT_EQ(A(1).state, bw::AccountCodes::Ready);
  EXPECT_EQ(A(1).cause, 0);
  EXPECT_TRUE(timers.empty());
  RunUntil(now + 10 * 3600000LL);
  EXPECT_EQ(A(1).checkedAt.size(), 2u);
}

// Faults: no check after the wake-up; the second notice of one wake-up
// postpones the checks; the address found before the sleep is used on
// another network; a look-up failing in the first minute suspends the
// account or waits a whole cycle; the minute never ends.
TEST_F(Cycle, WakeUpChecksAsAtStartupAndRetriesNetworkFailuresForAMinute) {
  Accounts(2);
  A(0).result = -4;
  A(0).failStep = bw::CheckStep::HostLookup;
  A(0).failCode = bw::LookupNotFound;
  A(0).causeAfterFailure = bw::AccountCodes::CauseDns;
  cycle.OnSuspend();
  now = 100000;
  cycle.OnResume();
  now = 101000;
  cycle.OnResume();  // PBT_APMRESUMESUSPEND after PBT_APMRESUMEAUTOMATIC
  EXPECT_EQ(Due(0), 105000);
  EXPECT_EQ(Due(1), 110000);
  EXPECT_EQ(Due(bw::kSweepTimerId), 115000);
  EXPECT_EQ(Due(bw::kWakeWindowTimerId), 160000);
  EXPECT_EQ(A(0).addressForgotten, 1);
  EXPECT_EQ(A(1).addressForgotten, 1);
  RunUntil(114999);
  EXPECT_EQ(A(0).state, bw::AccountCodes::RetryWait);
  EXPECT_EQ(A(0).checkedAt, (Times{105000, 110000}));
  A(0).result = 0;
  RunUntil(115000);
  EXPECT_EQ(A(0).state, bw::AccountCodes::Ready);
  EXPECT_NE(Log().find(Crlf("待機ﾓｰﾄﾞへ遷移(ｽﾘｰﾌﾟ復帰直後).  次回更新[5秒]後.\n")), std::string::npos);
  RunUntil(160000);
  EXPECT_FALSE(network.wakeWindow);
  // After the minute the usual rules hold again.
  A(0).result = -4;
  RunUntil(115000 + 15 * 60000);
  EXPECT_EQ(A(0).state, bw::AccountCodes::Suspended);
}

// Faults: the checks start before any address is back, the wait never
// ends, or the address-change notice is not heeded.
TEST_F(Cycle, WakeUpWithoutANetworkWaitsForAnAddressAtMostAMinute) {
  Accounts(1);
  networkUp = false;
  cycle.OnSuspend();
  cycle.OnResume();
  RunUntil(30000);
  EXPECT_TRUE(A(0).checkedAt.empty());
  EXPECT_FALSE(network.wakeWindow);
  networkUp = true;
  now = 30500;
  cycle.OnNetworkChanged();
  EXPECT_EQ(Due(0), 35500);
  EXPECT_EQ(Due(bw::kNetworkWaitTimerId), -1);
  RunUntil(40000);
  EXPECT_EQ(A(0).checkedAt, Times{35500});

  // A network that never comes back: the checks start after the minute.
  networkUp = false;
  cycle.OnSuspend();
  now = 1000000;
  cycle.OnResume();
  RunUntil(1059999);
  EXPECT_EQ(A(0).checkedAt.size(), 1u);
  RunUntil(1065000);
  EXPECT_EQ(A(0).checkedAt.size(), 2u);
  EXPECT_NE(Log().find(Crlf("ﾈｯﾄﾜｰｸ待ち時間切れ.  全接続先を確認.\n")), std::string::npos);
}

// Faults: an account that found the network down waits its whole cycle
// after the address comes back, or one that failed for another reason is
// checked again with it.
TEST_F(Cycle, AccountsThatFoundTheNetworkDownAreCheckedWhenAnAddressReturns) {
  Accounts(3);
  networkUp = false;
  for (int i : {0, 1}) {
    A(i).result = -10;
    A(i).failStep = bw::CheckStep::Connect;
    A(i).failCode = bw::ConnectNotMade;
  }
  A(2).result = -30;  // a server answered: not the network
  cycle.ArmAtStartup();
  RunUntil(20000);
  EXPECT_EQ(A(0).cause, bw::AccountCodes::CauseNetworkDown);
  EXPECT_EQ(A(2).state, bw::AccountCodes::Suspended);
  A(0).result = A(1).result = 0;
  networkUp = true;
  RunUntil(30000);  // the next look at the address list
  EXPECT_EQ(A(0).state, bw::AccountCodes::Ready);
  EXPECT_EQ(A(0).addressForgotten, 1);
  EXPECT_EQ(A(2).addressForgotten, 0);
  EXPECT_EQ(A(0).checkedAt.size(), 2u);
  EXPECT_EQ(A(1).checkedAt.back() - A(0).checkedAt.back(), 5000);
  EXPECT_EQ(A(2).checkedAt.size(), 1u);
}

// Faults: the end of the session asks the exit question, loses the
// geometry, or leaves the run going.
TEST_F(Cycle, EndOfSessionEndsWithoutAskingAndKeepsTheGeometry) {
  settings.KeepGeometry = 1;
  cycle.OnEndSession();
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(journal, std::vector<std::string>{"quit 0"});
  EXPECT_EQ(settings.windowWidthSetting, 64);
  EXPECT_TRUE(cycle.SaveGeometryAtExit());
}

}  // namespace

// An idling account: its timer is the watchdog's; news on its connection
// shows at once and runs the auto-exec sequence as a check would; a dropped
// connection is checked again after the back-off it asks for, its count
// kept; sleep closes the connection and the socket is no longer heard.
TEST_F(Cycle, PushNewsActsAtOnceADropWaitsItsBackOffAndSleepClosesIt) {
  Accounts(1);
  state.sweepPending = 0;
  A(0).pushMs = 29 * 60000;
  cycle.AccountTimerFired(0);
  EXPECT_EQ(Due(0), 29 * 60000);
  EXPECT_NE(Log().find("待機ﾓｰﾄﾞへ遷移(IDLE).  次回確認[1740秒]後."), std::string::npos) << Log();

  now = 1000;
  A(0).mailbox = 2;
  A(0).pushEvent = bw::Pop3Checker::PushChanged;
  cycle.OnPushReadable(0);
  EXPECT_EQ(state.totalUnread, 2);
  EXPECT_EQ(Count("sequence@1000"), 1);
  EXPECT_EQ(journal.back(), "sequence@1000");
  EXPECT_EQ(Due(0), 29 * 60000);  // the watchdog stays where it was

  A(0).pushEvent = bw::Pop3Checker::PushDropped;
  A(0).pushMs = 1000;
  cycle.OnPushReadable(0);
  EXPECT_EQ(Due(0), 2000);
  EXPECT_EQ(state.totalUnread, 2);
  RunUntil(2000);
  EXPECT_EQ(A(0).checkedAt, (Times{0, 2000}));

  cycle.OnSuspend();
  EXPECT_EQ(A(0).pushEnded, 1);
  journal.clear();
  cycle.OnPushReadable(0);
  EXPECT_EQ(Count("push?"), 0);
}
