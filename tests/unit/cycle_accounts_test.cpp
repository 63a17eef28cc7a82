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

TEST_F(CycleAccountsView, PositionsFollowTheListAndOnlyRunTimeAccountsAreScheduled) {
  bw::Pop3CycleAccounts view(app);
  ASSERT_EQ(view.Count(), 3);
  EXPECT_EQ(view.ConnectionName(2), "third");
  second->CheckState = bw::AccountCodes::Ready;
  EXPECT_EQ(view.State(1), bw::AccountCodes::Unprocessed);
  EXPECT_EQ(view.Check(1), -1);
  EXPECT_EQ(view.State(3), bw::AccountCodes::Unprocessed);

  view.SetState(2, bw::AccountCodes::RetryWait);
  EXPECT_EQ(third->CheckState, bw::AccountCodes::RetryWait);
  EXPECT_EQ(view.Check(2), -20);
  EXPECT_EQ(third->checks, 1);
  view.StartEmergency(0, 12345);
  EXPECT_EQ(first->EmergencyStart, 12345);
  EXPECT_TRUE(view.InEmergency(0));
}

}  // namespace
