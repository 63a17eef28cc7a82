// Options and auto-exec control dialogs: their binding rows, and the control
// dialog's rules over the AutoKillMethod bits.
#include "configurator/core/options_model.h"

#include <climits>

#include "common/core/param_syntax.h"
#include "configurator/ids/auto_exec_control_dialog_ids.h"
#include "configurator/ids/options_dialog_ids.h"

namespace bw {

const std::vector<const char*> kPriorityClassEntries = {"継承", "低い", "通常", "高い"};
const std::vector<const char*> kPriorityThreadEntries = {"継承",     "より低く", "少し低く",
                                                         "通常",     "少し高く", "より高く"};

const char kChooseKillMethodMessage[] = "終了させる方法を選んで下さい.";
const char kChooseKillEventMessage[] = "終了させるイベントを選んで下さい.";

namespace {

constexpr unsigned kEventBits = kKillBeforeRestart | kKillWhenNoMail | kKillOnMenuExec;
constexpr unsigned kMethodBits = kKillPostClose | kKillPostQuit | kKillTerminate;

unsigned KillBits(const RecordDraft& draft) {
  return static_cast<unsigned>(StrtolValue(draft.Text(kAutoKillMethod)));
}

const FieldBinding kControlRows[] = {
    RadioGroupBinding({IDC_CTL_SEQUENCE_DELAY, IDC_CTL_SEQUENCE_TIMEOUT}, kExecuteSequence, kNoPage,
                      {"0", "1"}),
    CheckBitBinding(IDC_CTL_KILL_BEFORE, kAutoKillMethod, kNoPage, kKillBeforeRestart),
    CheckBitBinding(IDC_CTL_KILL_NO_MAIL, kAutoKillMethod, kNoPage, kKillWhenNoMail),
    CheckBitBinding(IDC_CTL_KILL_MENU, kAutoKillMethod, kNoPage, kKillOnMenuExec),
    CheckBitBinding(IDC_CTL_POST_CLOSE, kAutoKillMethod, kNoPage, kKillPostClose),
    CheckBitBinding(IDC_CTL_POST_QUIT, kAutoKillMethod, kNoPage, kKillPostQuit),
    CheckBitBinding(IDC_CTL_TERMINATE, kAutoKillMethod, kNoPage, kKillTerminate),
    NumberBinding(IDC_CTL_DELAY, kExecutionDelay, kNoPage, 0, INT_MAX),
};

RecordDraft ControlDraft(const AncestryPop3Controller& controller) {
  RecordDraft draft = DraftOf(kAutoExecControlBindings, controller);
  const unsigned bits = KillBits(draft);
  if (!(bits & kEventBits))
    draft.Set(kAutoKillMethod, FormatInt("0x%04X", static_cast<int>(bits & ~kMethodBits)));
  return draft;
}

const FieldBinding kOptionsRows[] = {
    ComboBinding(IDC_OPT_CLASS, kPriorityClass, kNoPage, kPriorityClassEntries, NoChoice::kFirstEntry),
    ComboBinding(IDC_OPT_THREAD, kPriorityThread, kNoPage, kPriorityThreadEntries,
                 NoChoice::kFirstEntry),
    NumberBinding(IDC_OPT_INIT_SLEEP, kInitSleep_Sec, kNoPage, 0, 999),
    NumberBinding(IDC_OPT_CONSECUTIVE, kConsecutive_Sec, kNoPage, 0, 99),
    CheckBinding(IDC_OPT_AUTO_WAKEUP, kAutoWakeup, kNoPage),
    CheckBinding(IDC_OPT_STARTUP_BURIED, kStartupBuried, kNoPage),
    CheckBinding(IDC_OPT_KEEP_GEOMETRY, kKeepGeometry, kNoPage),
    PairPartBinding(IDC_OPT_HEIGHT, kWindowSize, 1, kNoPage, 32, 1024),
    PairPartBinding(IDC_OPT_X, kWindowPosition, 0, kNoPage, INT_MIN, INT_MAX),
    PairPartBinding(IDC_OPT_Y, kWindowPosition, 1, kNoPage, INT_MIN, INT_MAX),
    PairPartBinding(IDC_OPT_WIDTH, kWindowSize, 0, kNoPage, 32, 1024),
    NumberBinding(IDC_OPT_ANIMATE_TIMER, kAnimateTimer, kNoPage, 0, 999),
    CheckBinding(IDC_OPT_MENU_EXEC_BURIED, kMenuExecBuried, kNoPage),
    CheckBinding(IDC_OPT_STOP_SSAVING, kStopDuringSSaving, kNoPage),
    CheckBinding(IDC_OPT_NOTIFY_NEW_MAIL, kNotifyNewMail, kNoPage),
    CheckBinding(IDC_OPT_PROTECT_PASSWORDS, kProtectPasswords, kNoPage),
};

}  // namespace

const BindingTable kOptionsBindings = {kOptionsRows, sizeof kOptionsRows / sizeof kOptionsRows[0]};

const BindingTable kAutoExecControlBindings = {kControlRows,
                                               sizeof kControlRows / sizeof kControlRows[0]};

RecordDraft OpenAutoExecControl(const AncestryPop3Controller& controller) {
  return ControlDraft(controller);
}

RecordDraft DefaultAutoExecControl() {
  AncestryPop3Controller scratch;
  for (const FieldBinding& row : kAutoExecControlBindings) scratch.ResetToDefault(row.key);
  return ControlDraft(scratch);
}

bool KillMethodsEnabled(const RecordDraft& draft) { return (KillBits(draft) & kEventBits) != 0; }

std::string CheckKillMethod(const RecordDraft& draft) {
  const unsigned bits = KillBits(draft);
  if ((bits & kEventBits) && !(bits & kMethodBits)) return kChooseKillMethodMessage;
  if ((bits & kMethodBits) && !(bits & kEventBits)) return kChooseKillEventMessage;
  return std::string();
}

int StoreAutoExecControl(const RecordDraft& draft, AncestryPop3Controller& controller) {
  RecordDraft stored = draft;
  unsigned bits = KillBits(draft) & (kEventBits | kMethodBits);
  if (!(bits & kEventBits)) bits = 0;
  stored.Set(kAutoKillMethod, FormatInt("0x%04X", static_cast<int>(bits)));
  return StoreDraft(kControllerKeyTable, stored, controller);
}

}  // namespace bw
