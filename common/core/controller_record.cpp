// Controller record: settings, child blocks, reading and writing.
#include "common/core/controller_record.h"

#include <cstring>
#include <new>

#include "common/core/log.h"

namespace bw {

const KeyTableEntry kControllerKeyTable[] = {
    {"WindowPosition", kWindowPosition, false, "64,64"},
    {"WindowSize", kWindowSize, false, "128,64"},
    {"AnimateTimer", kAnimateTimer, false, "100"},
    {"ExecuteSequence", kExecuteSequence, false, "0"},
    {"ExecutionDelay", kExecutionDelay, false, "0"},
    {"AutoWakeup", kAutoWakeup, false, "1"},
    {"KeepGeometry", kKeepGeometry, false, "1"},
    {"StartupBuried", kStartupBuried, false, "0"},
    {"PriorityClass", kPriorityClass, false, "0"},
    {"PriorityThread", kPriorityThread, false, "0"},
    {"Consecutive_Sec", kConsecutive_Sec, false, "5"},
    {"InitSleep_Sec", kInitSleep_Sec, false, "0"},
    {"MenuExecBuried", kMenuExecBuried, false, "0"},
    {"AutoKillMethod", kAutoKillMethod, false, "0x0072"},
    {"StopDuringSSaving", kStopDuringSSaving, false, "0"},
    {nullptr, 15, false, nullptr},
};

AncestryPop3Controller::~AncestryPop3Controller() {
  DestroyRing(accountHead);
  DestroyRing(autoExecHead);
  DestroyRing(menuHead);
}

AncestryPop3Checker* AncestryPop3Controller::CreateAccount() {
  return new (std::nothrow) AncestryPop3Checker();
}

int AncestryPop3Controller::AddAccount(AncestryPop3Checker* account) {
  if (!accountHead) {
    accountHead = account;
  } else {
    accountHead = static_cast<AncestryPop3Checker*>(accountHead->InsertAfter(account));
  }
  return 0;
}

int AncestryPop3Controller::RemoveAccount(AncestryPop3Checker* account) {
  accountHead = static_cast<AncestryPop3Checker*>(account->Unlink());
  delete account;
  return 0;
}

int AncestryPop3Controller::AccountCount() const { return RingCount(accountHead); }

namespace {
// Appends a record after the head of its ring; the head then stands on it.
template <typename T>
void AppendToRing(T*& head, T* record) {
  head = head ? static_cast<T*>(head->InsertAfter(record)) : record;
}
// Records are inserted after the one inserted before them, so the head
// stands on the last one; one step forward puts it on the first.
template <typename T>
void MoveHeadToFirst(T*& head) {
  if (head && head->Next()) head = static_cast<T*>(head->Next());
}
}  // namespace

bool AncestryPop3Controller::ReadChild(const char* className, TextInput& in) {
  if (std::strcmp(className, "AncestryPop3Checker::RingListClass") == 0) {
    AncestryPop3Checker* account = CreateAccount();
    if (!account) return false;
    if (account->ReadBlock(in) != 0) {
      delete account;
    } else {
      AddAccount(account);
    }
  } else if (std::strcmp(className, "Executant::RingListClass") == 0) {
    Executant* record = new (std::nothrow) Executant();
    if (!record) return false;
    if (record->ReadBlock(in) != 0) {
      delete record;
    } else {
      AppendToRing(autoExecHead, record);
    }
  } else if (std::strcmp(className, "MenuExecutant::Executant::RingListClass") == 0) {
    MenuExecutant* record = new (std::nothrow) MenuExecutant();
    if (!record) return false;
    if (record->ReadBlock(in) != 0) {
      delete record;
    } else {
      AppendToRing(menuHead, record);
    }
  }
  // Any other class name is ignored silently; its lines are then read as
  // the controller's own.
  return true;
}

int AncestryPop3Controller::ReadBlock(TextInput& in) {
  BlockLine line;
  int result = 0;
  for (;;) {
    if (!ReadBlockLine(in, &line)) {
      result = -1;
      break;
    }
    if (std::strcmp(line.key, "--EOF--") == 0) {
      LogWrite("終了識別子が途中で見つかりました.\n");
      break;
    }
    if (std::strcmp(line.key, "}") == 0 || std::strcmp(line.value, "}") == 0) break;
    if (std::strcmp(line.value, "{") == 0) {
      if (!ReadChild(line.key, in)) {
        LogWrite("メモリ不足です.\n");
        break;
      }
      continue;
    }
    if (!FindKeyByName(kControllerKeyTable, line.key)) {
      LogWrite("Controller : KeyWord[%s]は、認識できません.\n", line.key);
      continue;
    }
    if (!properties.Append(line.key, line.value)) LogWrite("メモリ不足です.\n");
  }
  // Also after a truncated block: whatever was read keeps its file order.
  MoveHeadToFirst(accountHead);
  MoveHeadToFirst(autoExecHead);
  MoveHeadToFirst(menuHead);
  if (result < 0) return result;
  ApplyDefaults();
  ParseValues();
  return 0;
}

void AncestryPop3Controller::ParseKey(int id, const std::string& text) {
  switch (id) {
    case kWindowPosition:
      if (!ScanPair(text, &windowX, &windowY)) windowX = windowY = 64;
      break;
    case kWindowSize:
      if (!ScanPair(text, &windowWidthSetting, &windowHeightSetting)) {
        windowWidthSetting = 128;
        windowHeightSetting = 64;
      }
      break;
    case kAnimateTimer: AnimateTimer = AtoiValue(text); break;
    case kExecuteSequence: ExecuteSequence = AtoiValue(text) != 0; break;
    case kExecutionDelay: ExecutionDelay = AtoiValue(text); break;
    case kAutoWakeup: AutoWakeup = AtoiValue(text) != 0; break;
    case kKeepGeometry: KeepGeometry = AtoiValue(text) != 0; break;
    case kStartupBuried: StartupBuried = AtoiValue(text) != 0; break;
    case kPriorityClass: PriorityClass = AtoiValue(text); break;
    case kPriorityThread: PriorityThread = AtoiValue(text); break;
    case kConsecutive_Sec: Consecutive_Sec = AtoiValue(text); break;
    case kInitSleep_Sec: InitSleep_Sec = AtoiValue(text); break;
    case kMenuExecBuried: MenuExecBuried = AtoiValue(text) != 0; break;
    case kAutoKillMethod: AutoKillMethod = static_cast<int>(StrtolValue(text)); break;
    case kStopDuringSSaving: StopDuringSSaving = AtoiValue(text) != 0; break;
    default: break;
  }
}

void AncestryPop3Controller::ParseValues() {
  for (const KeyTableEntry* k = kControllerKeyTable; k->name; ++k)
    ParseKey(k->id, properties.FindValue(k->name));
}

void AncestryPop3Controller::ApplyDefaults() { ApplyTableDefaults(properties, kControllerKeyTable); }

void AncestryPop3Controller::ResetToDefault(int id) {
  const KeyTableEntry* k = FindKeyById(kControllerKeyTable, id);
  if (!k) return;
  ParseKey(id, k->defaultText);
  if (PropertyEntry* e = properties.FindEntry(k->name)) e->value = k->defaultText;
}

const char* AncestryPop3Controller::KeyName(int id) const { return TableKeyName(kControllerKeyTable, id); }

const char* AncestryPop3Controller::DefaultText(int id) const {
  return TableDefaultText(kControllerKeyTable, id);
}

int AncestryPop3Controller::WriteBlock(TextOutput& out, int depth) {
  properties.SetOrAppend("WindowPosition", FormatInt("%d,", windowX) + FormatInt("%d", windowY));
  properties.SetOrAppend("WindowSize", FormatInt("%d,", windowWidthSetting) +
                                           FormatInt("%d", windowHeightSetting));
  properties.SetOrAppend("AnimateTimer", FormatInt("%d", AnimateTimer));
  properties.SetOrAppend("ExecuteSequence", FlagText(ExecuteSequence));
  properties.SetOrAppend("ExecutionDelay", FormatInt("%d", ExecutionDelay));
  properties.SetOrAppend("AutoWakeup", AutoWakeup ? "" : "0");
  properties.SetOrAppend("KeepGeometry", KeepGeometry ? "" : "0");
  properties.SetOrAppend("StartupBuried", FlagText(StartupBuried));
  properties.SetOrAppend("PriorityClass", IntUnless(PriorityClass, 0));
  properties.SetOrAppend("PriorityThread", IntUnless(PriorityThread, 0));
  properties.SetOrAppend("Consecutive_Sec", IntUnless(Consecutive_Sec, 5));
  properties.SetOrAppend("InitSleep_Sec", IntUnless(InitSleep_Sec, 0));
  properties.SetOrAppend("MenuExecBuried", FlagText(MenuExecBuried));
  properties.SetOrAppend("AutoKillMethod",
                         AutoKillMethod == 0x0072 ? "" : FormatInt("0x%04X", AutoKillMethod));
  properties.SetOrAppend("StopDuringSSaving", FlagText(StopDuringSSaving));

  WriteBlockOpen(out, depth, "AncestryPop3Controller::RingListClass");
  WriteEntries(out, depth + 1, properties);
  WalkRing(accountHead, [&](AncestryPop3Checker* a) { a->WriteBlock(out, depth + 1); });
  WalkRing(autoExecHead, [&](Executant* e) { e->WriteBlock(out, depth + 1, true); });
  WalkRing(menuHead, [&](MenuExecutant* m) { m->WriteMenuBlock(out, depth + 1); });
  WriteBlockClose(out, depth);
  out.Flush();
  return 0;
}

}  // namespace bw
