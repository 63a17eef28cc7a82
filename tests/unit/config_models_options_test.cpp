// The options and auto-exec control dialogs' model: ranges in their reading
// order, all-or-nothing stores, and the AutoKillMethod split and build.
#include <string>

#include <gtest/gtest.h>

#include "configurator/core/options_model.h"

namespace {

using bw::OptionsField;

// A controller as the configurator starts a new configuration.
void MakeDefault(bw::AncestryPop3Controller& c) {
  c.ApplyDefaults();
  c.ParseValues();
}

TEST(OptionsDialog, WindowSizeLimitsAre32To1024AndPositionIsFree) {
  bw::AncestryPop3Controller c;
  MakeDefault(c);
  bw::OptionsFields f = bw::LoadOptions(c);
  EXPECT_EQ(f.width, "128");
  EXPECT_EQ(f.height, "64");
  f.x = "-300";
  f.y = "-1";
  for (const char* ok : {"32", "1024"}) {
    f.width = ok;
    EXPECT_TRUE(bw::CheckOptions(f).ok) << ok;
  }
  for (const char* bad : {"31", "1025"}) {
    f.width = bad;
    bw::OptionsCheck check = bw::CheckOptions(f);
    EXPECT_EQ(check.field, OptionsField::kWidth) << bad;
    EXPECT_EQ(check.message, "32 から 1024 までの整数を入力してください.");
  }
  f.width = "1024";
  f.classIndex = 3;
  f.threadIndex = 5;
  ASSERT_TRUE(bw::StoreOptions(f, c).ok);
  EXPECT_EQ(c.windowX, -300);
  EXPECT_EQ(c.windowY, -1);
  EXPECT_EQ(c.windowWidthSetting, 1024);
  EXPECT_EQ(c.PriorityClass, 3);
  EXPECT_EQ(c.PriorityThread, 5);
}

TEST(OptionsDialog, FirstBadFieldInReadingOrderIsTheOneReported) {
  bw::AncestryPop3Controller c;
  MakeDefault(c);
  bw::OptionsFields f = bw::LoadOptions(c);
  // Height is read before X, Y and width although it sits after them.
  f.width = "0";
  f.x = "x";
  f.height = "2000";
  f.animateTimer = "1000";
  EXPECT_EQ(bw::CheckOptions(f).field, OptionsField::kHeight);
  f.height = "64";
  EXPECT_EQ(bw::CheckOptions(f).field, OptionsField::kX);
  EXPECT_EQ(bw::CheckOptions(f).message, "整数を入力してください.");
  f.x = "1";
  EXPECT_EQ(bw::CheckOptions(f).field, OptionsField::kWidth);
  f.width = "100";
  EXPECT_EQ(bw::CheckOptions(f).field, OptionsField::kAnimateTimer);
  f.consecutive = "100";
  EXPECT_EQ(bw::CheckOptions(f).field, OptionsField::kConsecutive);
  f.initSleep = "1000";
  EXPECT_EQ(bw::CheckOptions(f).field, OptionsField::kInitSleep);
  f.threadIndex = -1;  // a drop-down list with nothing chosen
  EXPECT_EQ(bw::CheckOptions(f).field, OptionsField::kThread);
  f.classIndex = 4;
  EXPECT_EQ(bw::CheckOptions(f).field, OptionsField::kClass);
}

TEST(OptionsDialog, RefusedOkLeavesEveryControllerValueAlone) {
  bw::AncestryPop3Controller c;
  MakeDefault(c);
  bw::OptionsFields f = bw::LoadOptions(c);
  f.initSleep = "999";
  f.consecutive = "0";
  f.autoWakeup = false;
  f.classIndex = 1;
  f.animateTimer = "-1";
  EXPECT_FALSE(bw::StoreOptions(f, c).ok);
  EXPECT_EQ(c.InitSleep_Sec, 0);
  EXPECT_EQ(c.Consecutive_Sec, 5);
  EXPECT_EQ(c.AutoWakeup, 1);
  EXPECT_EQ(c.PriorityClass, 0);
  f.animateTimer = "0";
  ASSERT_TRUE(bw::StoreOptions(f, c).ok);
  EXPECT_EQ(c.InitSleep_Sec, 999);
  EXPECT_EQ(c.Consecutive_Sec, 0);
  EXPECT_EQ(c.AutoWakeup, 0);
  EXPECT_EQ(c.PriorityClass, 1);
  EXPECT_EQ(c.AnimateTimer, 0);
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
