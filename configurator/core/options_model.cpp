// Options and auto-exec control dialogs: the options' binding rows, the
// control dialog's field mapping and its AutoKillMethod split and build.
#include "configurator/core/options_model.h"

#include <climits>

#include "common/core/param_syntax.h"
#include "configurator/core/field_text.h"
#include "configurator/win32/options_dialog_ids.h"

namespace bw {

const std::vector<const char*> kPriorityClassEntries = {"継承", "低い", "通常", "高い"};
const std::vector<const char*> kPriorityThreadEntries = {"継承",     "より低く", "少し低く",
                                                         "通常",     "少し高く", "より高く"};

const char kChooseKillMethodMessage[] = "終了させる方法を選んで下さい.";
const char kChooseKillEventMessage[] = "終了させるイベントを選んで下さい.";

namespace {

// ---- Record adapter: the only code that touches the controller. ----

struct ControlValues {
  int sequence, delay, killMethod;
};

ControlValues ReadControlRecord(const AncestryPop3Controller& c) {
  return ControlValues{c.ExecuteSequence, c.ExecutionDelay, c.AutoKillMethod};
}

void WriteControlRecord(const ControlValues& v, AncestryPop3Controller& c) {
  c.ExecuteSequence = v.sequence;
  c.ExecutionDelay = v.delay;
  c.AutoKillMethod = v.killMethod;
}

// The three settings as their key table's default texts give them.
ControlValues DefaultControlValues() {
  AncestryPop3Controller scratch;
  scratch.ResetToDefault(kExecuteSequence);
  scratch.ResetToDefault(kExecutionDelay);
  scratch.ResetToDefault(kAutoKillMethod);
  return ReadControlRecord(scratch);
}

std::string Number(int value) { return FormatInt("%d", value); }

// ---- Auto-exec control dialog ----

AutoExecControlFields ControlFieldsFrom(const ControlValues& v) {
  AutoExecControlFields f;
  f.sequenceRadio = v.sequence ? 1 : 0;
  f.delay = Number(v.delay);
  f.killBeforeRestart = (v.killMethod & kKillBeforeRestart) != 0;
  f.killWhenNoMail = (v.killMethod & kKillWhenNoMail) != 0;
  f.killOnMenuExec = (v.killMethod & kKillOnMenuExec) != 0;
  // Methods stored without any event are never acted on; they are not shown.
  if (f.killBeforeRestart || f.killWhenNoMail || f.killOnMenuExec) {
    f.postClose = (v.killMethod & kKillPostClose) != 0;
    f.postQuit = (v.killMethod & kKillPostQuit) != 0;
    f.terminate = (v.killMethod & kKillTerminate) != 0;
  }
  return f;
}

bool AnyEvent(const AutoExecControlFields& f) {
  return f.killBeforeRestart || f.killWhenNoMail || f.killOnMenuExec;
}

bool AnyMethod(const AutoExecControlFields& f) { return f.postClose || f.postQuit || f.terminate; }

AutoExecControlCheck EvaluateControl(const AutoExecControlFields& f, ControlValues* v) {
  AutoExecControlCheck check;
  // "No range check" still has to fit the record's int.
  NumberCheck r = ReadNumberField(f.delay, 0, INT_MAX, &v->delay);
  if (r != NumberCheck::kOk) {
    check.ok = false;
    check.field = AutoExecControlField::kDelay;
    check.message = NumberMessage(r, 0, INT_MAX);
    return check;
  }
  if (AnyEvent(f) && !AnyMethod(f)) {
    check.ok = false;
    check.field = AutoExecControlField::kMethods;
    check.message = kChooseKillMethodMessage;
    return check;
  }
  // Also when the method is checked but disabled: it would be lost silently.
  if (AnyMethod(f) && !AnyEvent(f)) {
    check.ok = false;
    check.field = AutoExecControlField::kEvents;
    check.message = kChooseKillEventMessage;
    return check;
  }
  v->sequence = f.sequenceRadio ? 1 : 0;
  v->killMethod = BuildAutoKillMethod(f);
  return check;
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
};

}  // namespace

const BindingTable kOptionsBindings = {kOptionsRows, sizeof kOptionsRows / sizeof kOptionsRows[0]};

AutoExecControlFields LoadAutoExecControl(const AncestryPop3Controller& controller) {
  return ControlFieldsFrom(ReadControlRecord(controller));
}

AutoExecControlFields DefaultAutoExecControl() { return ControlFieldsFrom(DefaultControlValues()); }

bool KillMethodsEnabled(const AutoExecControlFields& fields) { return AnyEvent(fields); }

int BuildAutoKillMethod(const AutoExecControlFields& f) {
  int method = 0;
  if (f.killBeforeRestart) method |= kKillBeforeRestart;
  if (f.killOnMenuExec) method |= kKillOnMenuExec;
  if (f.killWhenNoMail) method |= kKillWhenNoMail;
  if (method == 0) return 0;
  if (f.postClose) method |= kKillPostClose;
  if (f.postQuit) method |= kKillPostQuit;
  if (f.terminate) method |= kKillTerminate;
  return method;
}

AutoExecControlCheck CheckAutoExecControl(const AutoExecControlFields& fields) {
  ControlValues v{};
  return EvaluateControl(fields, &v);
}

AutoExecControlCheck StoreAutoExecControl(const AutoExecControlFields& fields,
                                          AncestryPop3Controller& controller) {
  ControlValues v{};
  AutoExecControlCheck check = EvaluateControl(fields, &v);
  if (check.ok) WriteControlRecord(v, controller);
  return check;
}

}  // namespace bw
