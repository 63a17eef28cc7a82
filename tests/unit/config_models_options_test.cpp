// The options and auto-exec control dialogs' model: the options' ranges and
// what their draft stores, the control dialog's all-or-nothing store and the
// AutoKillMethod split and build.
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "common/core/param_file.h"
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
  bw::SetBoundText(OptionsRow(bw::kNotifyNewMail), "1", d);
  ASSERT_EQ(bw::StoreDraft(bw::kControllerKeyTable, d, c), bw::kSetOk);
  EXPECT_EQ(c.windowX, -300);
  EXPECT_EQ(c.windowY, 64);
  EXPECT_EQ(c.windowWidthSetting, 128);
  EXPECT_EQ(c.windowHeightSetting, 1024);
  EXPECT_EQ(c.PriorityClass, 3);
  EXPECT_EQ(c.NotifyNewMail, 1);
  EXPECT_EQ(c.ExecutionDelay, 500);
  EXPECT_EQ(c.AutoKillMethod, -142);
}

// A configuration begun from nothing protects passwords; the box turns it
// off like any other flag of the dialog.
TEST(OptionsDialog, NewConfigurationStartsWithPasswordsProtectedAndTheBoxTurnsItOff) {
  std::unique_ptr<bw::AncestryPop3Controller> c = bw::NewParameterSet();
  ASSERT_TRUE(c);
  EXPECT_EQ(c->AnimateTimer, 100);  // the defaults, as before
  bw::RecordDraft d = bw::DraftOf(bw::kOptionsBindings, *c);
  const bw::FieldBinding& box = OptionsRow(bw::kProtectPasswords);
  EXPECT_EQ(bw::BoundText(box, d), "1");
  bw::SetBoundText(box, "0", d);
  ASSERT_EQ(bw::StoreDraft(bw::kControllerKeyTable, d, *c), bw::kSetOk);
  EXPECT_EQ(c->ProtectPasswords, 0);
}

// The control dialog's row of `control`.
const bw::FieldBinding& ControlRow(int key, unsigned mask = 0) {
  for (const bw::FieldBinding& row : bw::kAutoExecControlBindings)
    if (row.key == key && row.mask == mask) return row;
  throw std::out_of_range("no row");
}

// The draft with one AutoKillMethod box set as the dialog reads it.
void Tick(bw::RecordDraft& d, unsigned bit, bool checked) {
  d.Set(bw::kAutoKillMethod,
        bw::WithBit(ControlRow(bw::kAutoKillMethod, bit), d.Text(bw::kAutoKillMethod), checked));
}
bool Ticked(const bw::RecordDraft& d, unsigned bit) {
  return bw::BitChecked(ControlRow(bw::kAutoKillMethod, bit), d.Text(bw::kAutoKillMethod));
}

TEST(AutoExecControl, MethodsWithoutAnyEventOpenUncheckedAndDisabled) {
  bw::AncestryPop3Controller c;
  c.AutoKillMethod = 0x0003;
  bw::RecordDraft d = bw::OpenAutoExecControl(c);
  for (unsigned bit : {0x01u, 0x02u, 0x04u, 0x10u, 0x20u, 0x40u}) EXPECT_FALSE(Ticked(d, bit)) << bit;
  EXPECT_FALSE(bw::KillMethodsEnabled(d));

  c.AutoKillMethod = 0x0025;
  d = bw::OpenAutoExecControl(c);
  EXPECT_TRUE(Ticked(d, bw::kKillWhenNoMail) && Ticked(d, bw::kKillPostClose) &&
              Ticked(d, bw::kKillTerminate));
  EXPECT_FALSE(Ticked(d, bw::kKillBeforeRestart) || Ticked(d, bw::kKillOnMenuExec) ||
               Ticked(d, bw::kKillPostQuit));
  EXPECT_TRUE(bw::KillMethodsEnabled(d));
}

TEST(AutoExecControl, EventsNeedAMethodAndAMethodNeedsAnEvent) {
  bw::AncestryPop3Controller c;
  c.AutoKillMethod = 0x0044;
  bw::RecordDraft d = bw::OpenAutoExecControl(c);
  Tick(d, bw::kKillTerminate, false);
  EXPECT_EQ(bw::CheckKillMethod(d), "終了させる方法を選んで下さい.");

  // Unchecking the last event disables "TERMINATE..." but keeps its check.
  Tick(d, bw::kKillTerminate, true);
  Tick(d, bw::kKillOnMenuExec, false);
  EXPECT_FALSE(bw::KillMethodsEnabled(d));
  EXPECT_TRUE(Ticked(d, bw::kKillTerminate));
  EXPECT_EQ(bw::CheckKillMethod(d), "終了させるイベントを選んで下さい.");

  Tick(d, bw::kKillTerminate, false);
  EXPECT_EQ(bw::CheckKillMethod(d), "");
  ASSERT_EQ(bw::StoreAutoExecControl(d, c), bw::kSetOk);
  EXPECT_EQ(c.AutoKillMethod, 0);
  // Only the event and method bits are stored, methods never without an event.
  d.Set(bw::kAutoKillMethod, "0x0104");
  ASSERT_EQ(bw::StoreAutoExecControl(d, c), bw::kSetOk);
  EXPECT_EQ(c.AutoKillMethod, 0);
  d.Set(bw::kAutoKillMethod, "0x0124");
  ASSERT_EQ(bw::StoreAutoExecControl(d, c), bw::kSetOk);
  EXPECT_EQ(c.AutoKillMethod, 0x24);
}

TEST(AutoExecControl, DefaultThenOkStores0x72DelayZeroAndSequenceZero) {
  bw::AncestryPop3Controller c;
  c.ExecuteSequence = 1;
  c.ExecutionDelay = 700;
  c.AutoKillMethod = 0x0015;
  bw::RecordDraft d = bw::DefaultAutoExecControl();
  EXPECT_TRUE(Ticked(d, bw::kKillBeforeRestart) && Ticked(d, bw::kKillWhenNoMail) &&
              Ticked(d, bw::kKillOnMenuExec) && Ticked(d, bw::kKillPostQuit));
  EXPECT_FALSE(Ticked(d, bw::kKillPostClose) || Ticked(d, bw::kKillTerminate));
  EXPECT_EQ(bw::RadioIndex(ControlRow(bw::kExecuteSequence), d.Text(bw::kExecuteSequence)), 0u);
  ASSERT_EQ(bw::StoreAutoExecControl(d, c), bw::kSetOk);
  EXPECT_EQ(c.AutoKillMethod, 0x72);
  EXPECT_EQ(c.ExecutionDelay, 0);
  EXPECT_EQ(c.ExecuteSequence, 0);
}

TEST(AutoExecControl, DelayMustBeANonNegativeIntAndSequenceFollowsTheRadio) {
  bw::AncestryPop3Controller c;
  bw::RecordDraft d = bw::OpenAutoExecControl(c);
  EXPECT_EQ(d.Text(bw::kExecutionDelay), "500");
  for (const char* bad : {"-1", "3000000000", "1s"})
    EXPECT_NE(Refusal(ControlRow(bw::kExecutionDelay), bad), "") << bad;
  EXPECT_EQ(Refusal(ControlRow(bw::kExecutionDelay), "2147483647"), "");
  d.Set(bw::kExecutionDelay, "2147483647");
  d.Set(bw::kExecuteSequence, "1");
  ASSERT_EQ(bw::StoreAutoExecControl(d, c), bw::kSetOk);
  EXPECT_EQ(c.ExecutionDelay, 2147483647);
  EXPECT_EQ(c.ExecuteSequence, 1);
}

}  // namespace
