// The options and auto-exec control dialogs' model: the options' ranges and
// what their draft stores, the control dialog's all-or-nothing store and the
// AutoKillMethod split and build.
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "configurator/core/options_model.h"

namespace {

// A controller as the configurator starts a new configuration.
void MakeDefault(bw::AncestryPop3Controller& c) {
  c.ApplyDefaults();
  c.ParseValues();
}

// The options row bound to `key` (its `part` for a pair key).
const bw::FieldBinding& OptionsRow(int key, int part = -1) {
  for (const bw::FieldBinding& row : bw::kOptionsBindings)
    if (row.key == key && row.part == part) return row;
  throw std::out_of_range("no row");
}

// The refusal of `text` in the row ("" when it passes).
std::string Refusal(const bw::FieldBinding& row, const std::string& text) {
  std::string value;
  return bw::CheckBoundText(row, text, &value);
}

TEST(OptionsDialog, RowsRefuseSizesOutside32To1024AndDelaysOverTheirLimitsButNoPosition) {
  for (int part : {0, 1}) {
    const bw::FieldBinding& size = OptionsRow(bw::kWindowSize, part);
    for (const char* bad : {"31", "1025"})
      EXPECT_EQ(Refusal(size, bad), "32 から 1024 までの整数を入力してください.") << part << bad;
    for (const char* ok : {"32", "1024"}) EXPECT_EQ(Refusal(size, ok), "") << part << ok;
    EXPECT_EQ(Refusal(OptionsRow(bw::kWindowPosition, part), "-300"), "") << part;
  }
  EXPECT_EQ(Refusal(OptionsRow(bw::kWindowPosition, 0), "x"), "整数を入力してください.");
  EXPECT_EQ(Refusal(OptionsRow(bw::kInitSleep_Sec), "1000"), "0 から 999 までの整数を入力してください.");
  EXPECT_EQ(Refusal(OptionsRow(bw::kConsecutive_Sec), "100"), "0 から 99 までの整数を入力してください.");
  EXPECT_EQ(Refusal(OptionsRow(bw::kAnimateTimer), "-1"), "0 から 999 までの整数を入力してください.");
}

TEST(OptionsDialog, DraftStoresOnlyTheBoundKeysAndAPositionPartKeepsItsPartner) {
  bw::AncestryPop3Controller c;
  MakeDefault(c);
  c.ExecutionDelay = 500;
  c.AutoKillMethod = -142;  // no text of it reads back as the same number
  bw::RecordDraft d = bw::DraftOf(bw::kOptionsBindings, c);
  const bw::FieldBinding& x = OptionsRow(bw::kWindowPosition, 0);
  EXPECT_EQ(bw::BoundText(x, d), "64");
  bw::SetBoundText(x, "-300", d);
  bw::SetBoundText(OptionsRow(bw::kWindowSize, 1), "1024", d);
  bw::SetBoundText(OptionsRow(bw::kPriorityClass), "3", d);
  ASSERT_EQ(bw::StoreDraft(bw::kControllerKeyTable, d, c), bw::kSetOk);
  EXPECT_EQ(c.windowX, -300);
  EXPECT_EQ(c.windowY, 64);
  EXPECT_EQ(c.windowWidthSetting, 128);
  EXPECT_EQ(c.windowHeightSetting, 1024);
  EXPECT_EQ(c.PriorityClass, 3);
  EXPECT_EQ(c.ExecutionDelay, 500);
  EXPECT_EQ(c.AutoKillMethod, -142);
}

TEST(AutoExecControl, MethodsWithoutAnyEventOpenUncheckedAndDisabled) {
  bw::AncestryPop3Controller c;
  c.AutoKillMethod = 0x0003;
  bw::AutoExecControlFields f = bw::LoadAutoExecControl(c);
  EXPECT_FALSE(f.postClose || f.postQuit || f.terminate);
  EXPECT_FALSE(f.killBeforeRestart || f.killWhenNoMail || f.killOnMenuExec);
  EXPECT_FALSE(bw::KillMethodsEnabled(f));

  c.AutoKillMethod = 0x0025;
  f = bw::LoadAutoExecControl(c);
  EXPECT_TRUE(f.killWhenNoMail && f.postClose && f.terminate);
  EXPECT_FALSE(f.killBeforeRestart || f.killOnMenuExec || f.postQuit);
  EXPECT_TRUE(bw::KillMethodsEnabled(f));
  EXPECT_EQ(bw::BuildAutoKillMethod(f), 0x0025);
}

TEST(AutoExecControl, EventsNeedAMethodAndAMethodNeedsAnEvent) {
  bw::AncestryPop3Controller c;
  c.AutoKillMethod = 0x0044;
  bw::AutoExecControlFields f = bw::LoadAutoExecControl(c);
  f.terminate = false;
  bw::AutoExecControlCheck check = bw::StoreAutoExecControl(f, c);
  EXPECT_EQ(check.message, "終了させる方法を選んで下さい.");
  EXPECT_EQ(c.AutoKillMethod, 0x0044);

  // Unchecking the last event disables "TERMINATE..." but keeps its check.
  f.terminate = true;
  f.killOnMenuExec = false;
  EXPECT_FALSE(bw::KillMethodsEnabled(f));
  EXPECT_TRUE(f.terminate);
  EXPECT_EQ(bw::StoreAutoExecControl(f, c).message, "終了させるイベントを選んで下さい.");
  EXPECT_EQ(c.AutoKillMethod, 0x0044);
  EXPECT_EQ(bw::BuildAutoKillMethod(f), 0);  // methods are never stored without an event

  f.terminate = false;
  ASSERT_TRUE(bw::StoreAutoExecControl(f, c).ok);
  EXPECT_EQ(c.AutoKillMethod, 0);
}

TEST(AutoExecControl, DefaultThenOkStores0x72DelayZeroAndSequenceZero) {
  bw::AncestryPop3Controller c;
  c.ExecuteSequence = 1;
  c.ExecutionDelay = 700;
  c.AutoKillMethod = 0x0015;
  bw::AutoExecControlFields f = bw::DefaultAutoExecControl();
  EXPECT_TRUE(f.killBeforeRestart && f.killWhenNoMail && f.killOnMenuExec && f.postQuit);
  EXPECT_FALSE(f.postClose || f.terminate);
  EXPECT_EQ(f.sequenceRadio, 0);
  ASSERT_TRUE(bw::StoreAutoExecControl(f, c).ok);
  EXPECT_EQ(c.AutoKillMethod, 0x72);
  EXPECT_EQ(c.ExecutionDelay, 0);
  EXPECT_EQ(c.ExecuteSequence, 0);
}

TEST(AutoExecControl, DelayMustBeANonNegativeIntAndSequenceFollowsTheRadio) {
  bw::AncestryPop3Controller c;
  bw::AutoExecControlFields f = bw::LoadAutoExecControl(c);
  EXPECT_EQ(f.delay, "500");
  for (const char* bad : {"-1", "3000000000", "1s"}) {
    f.delay = bad;
    bw::AutoExecControlCheck check = bw::StoreAutoExecControl(f, c);
    EXPECT_EQ(check.field, bw::AutoExecControlField::kDelay) << bad;
    EXPECT_EQ(c.ExecutionDelay, 500);
  }
  f.delay = "2147483647";
  f.sequenceRadio = 1;
  ASSERT_TRUE(bw::StoreAutoExecControl(f, c).ok);
  EXPECT_EQ(c.ExecutionDelay, 2147483647);
  EXPECT_EQ(c.ExecuteSequence, 1);
}

}  // namespace
