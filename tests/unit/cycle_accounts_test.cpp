// The cycle's view of the real account ring: positions follow the list and
// every write reaches the Pop3Checker itself.
#include <string>

#include "checker/core/cycle_accounts.h"
#include "tests/unit/test_support.h"

namespace {

struct ScriptedAccount : bw::Pop3Checker {
  int Check() override {
    ++checks;
    MessageCount = 4;
    return -20;
  }
  int checks = 0;
};

class CycleAccountsView : public bw_test::ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    first = new ScriptedAccount;
    first->ConnectionName = "first";
    first->CycleMinutes = 7;
    second = new bw::AncestryPop3Checker;  // not a run-time account
    third = new ScriptedAccount;
    third->ConnectionName = "third";
    app.AddAccount(first);
    app.AddAccount(second);
    app.AddAccount(third);
    app.accountHead = first;  // the loader leaves the head on the first
  }
  bw::AncestryPop3Controller app;
  ScriptedAccount* first;
  bw::AncestryPop3Checker* second;
  ScriptedAccount* third;
};

TEST_F(CycleAccountsView, PositionsFollowTheListAndForeignRecordsAreNeverScheduled) {
  bw::Pop3CycleAccounts view(app);
  ASSERT_EQ(view.Count(), 3);
  EXPECT_EQ(view.ConnectionName(0), "first");
  EXPECT_EQ(view.ConnectionName(2), "third");
  EXPECT_EQ(view.CycleMinutes(0), 7);
  second->CheckState = bw::kCycleReady;
  EXPECT_EQ(view.State(1), bw::kCycleUnprocessed);
  EXPECT_EQ(view.Check(1), -1);
  EXPECT_EQ(view.State(3), bw::kCycleUnprocessed);
}

TEST_F(CycleAccountsView, WritesReachTheAccountObjects) {
  bw::Pop3CycleAccounts view(app);
  view.SetState(2, bw::kCycleRetryWait);
  EXPECT_EQ(third->CheckState, bw::kCycleRetryWait);
  EXPECT_EQ(view.Check(2), -20);
  EXPECT_EQ(third->checks, 1);
  EXPECT_EQ(view.MessageCount(2), 4u);

  view.StartEmergency(0, 12345);
  EXPECT_EQ(first->Emergency, 1);
  EXPECT_EQ(first->EmergencyStart, 12345);
  EXPECT_TRUE(view.InEmergency(0));
  view.EndEmergency(0);
  EXPECT_EQ(first->Emergency, 0);
  EXPECT_EQ(first->EmergencyStart, 0);

  first->LastCheckTime = 99;
  first->CheckState = bw::kCycleSuspended;
  view.ResetCounts(0);
  EXPECT_EQ(view.LastCheckTime(0), 0);
  EXPECT_EQ(first->CheckState, bw::kCycleReady);
}

}  // namespace
