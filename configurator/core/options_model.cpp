// Options and auto-exec control dialogs: field mapping, ranges, the
// AutoKillMethod split and build.
#include "configurator/core/options_model.h"

#include <climits>

#include "common/core/param_syntax.h"
#include "configurator/core/field_text.h"

namespace bw {

const char kChooseKillMethodMessage[] = "終了させる方法を選んで下さい.";
const char kChooseKillEventMessage[] = "終了させるイベントを選んで下さい.";

namespace {

// ---- Record adapter: the only code that touches the controller. ----

struct OptionsValues {
  int priorityClass, priorityThread, initSleep, consecutive;
  int autoWakeup, startupBuried, keepGeometry;
  int x, y, width, height;
  int animateTimer, menuExecBuried, stopDuringSSaving;
};

OptionsValues ReadOptionsRecord(const AncestryPop3Controller& c) {
  return OptionsValues{c.PriorityClass, c.PriorityThread, c.InitSleep_Sec, c.Consecutive_Sec,
                       c.AutoWakeup, c.StartupBuried, c.KeepGeometry,
                       c.windowX, c.windowY, c.windowWidthSetting, c.windowHeightSetting,
                       c.AnimateTimer, c.MenuExecBuried, c.StopDuringSSaving};
}

void WriteOptionsRecord(const OptionsValues& v, AncestryPop3Controller& c) {
  c.PriorityClass = v.priorityClass;
  c.PriorityThread = v.priorityThread;
  c.InitSleep_Sec = v.initSleep;
  c.Consecutive_Sec = v.consecutive;
  c.AutoWakeup = v.autoWakeup;
  c.StartupBuried = v.startupBuried;
  c.KeepGeometry = v.keepGeometry;
  c.windowX = v.x;
  c.windowY = v.y;
  c.windowWidthSetting = v.width;
  c.windowHeightSetting = v.height;
  c.AnimateTimer = v.animateTimer;
  c.MenuExecBuried = v.menuExecBuried;
  c.StopDuringSSaving = v.stopDuringSSaving;
}

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

// ---- Options dialog ----

std::string Number(int value) { return FormatInt("%d", value); }

// One field's check in the reading order; false with the refusal in *check.
bool CheckNumber(const std::string& text, long long lo, long long hi, int* value,
                 OptionsField field, OptionsCheck* check) {
  NumberCheck r = ReadNumberField(text, lo, hi, value);
  if (r == NumberCheck::kOk) return true;
  check->ok = false;
  check->field = field;
  check->message = NumberMessage(r, lo, hi);
  return false;
}

bool CheckIndex(int index, int last, OptionsField field, OptionsCheck* check) {
  if (index >= 0 && index <= last) return true;
  check->ok = false;
  check->field = field;
  check->message = NumberMessage(NumberCheck::kOutOfRange, 0, last);
  return false;
}

OptionsCheck EvaluateOptions(const OptionsFields& f, OptionsValues* v) {
  OptionsCheck check;
  using F = OptionsField;
  if (!CheckIndex(f.classIndex, 3, F::kClass, &check)) return check;
  v->priorityClass = f.classIndex;
  if (!CheckIndex(f.threadIndex, 5, F::kThread, &check)) return check;
  v->priorityThread = f.threadIndex;
  if (!CheckNumber(f.initSleep, 0, 999, &v->initSleep, F::kInitSleep, &check) ||
      !CheckNumber(f.consecutive, 0, 99, &v->consecutive, F::kConsecutive, &check))
    return check;
  v->autoWakeup = f.autoWakeup;
  v->startupBuried = f.startupBuried;
  v->keepGeometry = f.keepGeometry;
  if (!CheckNumber(f.height, 32, 1024, &v->height, F::kHeight, &check) ||
      !CheckNumber(f.x, INT_MIN, INT_MAX, &v->x, F::kX, &check) ||
      !CheckNumber(f.y, INT_MIN, INT_MAX, &v->y, F::kY, &check) ||
      !CheckNumber(f.width, 32, 1024, &v->width, F::kWidth, &check) ||
      !CheckNumber(f.animateTimer, 0, 999, &v->animateTimer, F::kAnimateTimer, &check))
    return check;
  v->menuExecBuried = f.menuExecBuried;
  v->stopDuringSSaving = f.stopDuringSSaving;
  return check;
}

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

}  // namespace

OptionsFields LoadOptions(const AncestryPop3Controller& controller) {
  OptionsValues v = ReadOptionsRecord(controller);
  OptionsFields f;
  f.classIndex = v.priorityClass;
  f.threadIndex = v.priorityThread;
  f.initSleep = Number(v.initSleep);
  f.consecutive = Number(v.consecutive);
  f.stopDuringSSaving = v.stopDuringSSaving != 0;
  f.x = Number(v.x);
  f.y = Number(v.y);
  f.width = Number(v.width);
  f.height = Number(v.height);
  f.keepGeometry = v.keepGeometry != 0;
  f.startupBuried = v.startupBuried != 0;
  f.autoWakeup = v.autoWakeup != 0;
  f.menuExecBuried = v.menuExecBuried != 0;
  f.animateTimer = Number(v.animateTimer);
  return f;
}

OptionsCheck CheckOptions(const OptionsFields& fields) {
  OptionsValues v{};
  return EvaluateOptions(fields, &v);
}

OptionsCheck StoreOptions(const OptionsFields& fields, AncestryPop3Controller& controller) {
  OptionsValues v{};
  OptionsCheck check = EvaluateOptions(fields, &v);
  if (check.ok) WriteOptionsRecord(v, controller);
  return check;
}

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
