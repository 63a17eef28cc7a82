// Controller record: settings, child blocks, reading and writing.
#include "common/core/controller_record.h"

#include <cstring>
#include <new>

#include "common/core/record_block.h"

namespace bw {

using C = AncestryPop3Controller;

const KeyTableEntry<C> kControllerKeyTable[] = {
    {"WindowPosition", kWindowPosition, false, "64,64", PairField(&C::windowX, &C::windowY)},
    {"WindowSize", kWindowSize, false, "128,64",
     PairField(&C::windowWidthSetting, &C::windowHeightSetting)},
    {"AnimateTimer", kAnimateTimer, false, "100", IntFieldAlways(&C::AnimateTimer)},
    {"ExecuteSequence", kExecuteSequence, false, "0", FlagField(&C::ExecuteSequence, 0)},
    {"ExecutionDelay", kExecutionDelay, false, "0", IntFieldAlways(&C::ExecutionDelay)},
    {"AutoWakeup", kAutoWakeup, false, "1", FlagField(&C::AutoWakeup, 1)},
    {"KeepGeometry", kKeepGeometry, false, "1", FlagField(&C::KeepGeometry, 1)},
    {"StartupBuried", kStartupBuried, false, "0", FlagField(&C::StartupBuried, 0)},
    {"PriorityClass", kPriorityClass, false, "0", IntField(&C::PriorityClass, 0)},
    {"PriorityThread", kPriorityThread, false, "0", IntField(&C::PriorityThread, 0)},
    {"Consecutive_Sec", kConsecutive_Sec, false, "5", IntField(&C::Consecutive_Sec, 5)},
    {"InitSleep_Sec", kInitSleep_Sec, false, "0", IntField(&C::InitSleep_Sec, 0)},
    {"MenuExecBuried", kMenuExecBuried, false, "0", FlagField(&C::MenuExecBuried, 0)},
    {"AutoKillMethod", kAutoKillMethod, false, "0x0072", HexField(&C::AutoKillMethod, 0x0072)},
    {"StopDuringSSaving", kStopDuringSSaving, false, "0", FlagField(&C::StopDuringSSaving, 0)},
    {"NotifyNewMail", kNotifyNewMail, false, "0", FlagField(&C::NotifyNewMail, 0)},
    {"ProtectPasswords", kProtectPasswords, false, "0", FlagField(&C::ProtectPasswords, 0)},
    {nullptr, 17, false, nullptr, KeptField<C>()},
};

namespace {
const BlockRules kControllerRules = {"Controller : KeyWord[%s]は、認識できません.\n",
                                     "メモリ不足です.\n", NestedBlock::kChild};
}  // namespace

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
// Reads a child block into a new `record`: one that reads whole is handed
// to `link`, any other is dropped. False when no record could be made.
template <typename T, typename Link>
bool ReadChildRecord(T* record, TextInput& in, Link link) {
  if (!record) return false;
  if (record->ReadBlock(in) != 0) {
    delete record;
  } else {
    link(record);
  }
  return true;
}
}  // namespace

bool AncestryPop3Controller::ReadChild(const char* className, TextInput& in) {
  if (std::strcmp(className, "AncestryPop3Checker::RingListClass") == 0)
    return ReadChildRecord(CreateAccount(), in, [this](AncestryPop3Checker* a) { AddAccount(a); });
  if (std::strcmp(className, "Executant::RingListClass") == 0)
    return ReadChildRecord(new (std::nothrow) Executant(), in,
                           [this](Executant* e) { AppendToRing(autoExecHead, e); });
  if (std::strcmp(className, "MenuExecutant::Executant::RingListClass") == 0)
    return ReadChildRecord(new (std::nothrow) MenuExecutant(), in,
                           [this](MenuExecutant* m) { AppendToRing(menuHead, m); });
  // Any other class name is ignored silently; its lines are then read as
  // the controller's own.
  return true;
}

int AncestryPop3Controller::ReadBlock(TextInput& in) {
  const int result = ReadBlockLines(
      in, kControllerRules,
      [this](const char* key, const char* value) {
        return AddKeyLine(key, value);
      },
      [this](const char* className, TextInput& input) { return ReadChild(className, input); });
  // Also after a truncated block: whatever was read keeps its file order,
  // and the settings read so far stand, the others taking their defaults, so
  // that a configurator saving such a file writes back what it had.
  MoveHeadToFirst(accountHead);
  MoveHeadToFirst(autoExecHead);
  MoveHeadToFirst(menuHead);
  ApplyDefaults();
  ParseValues();
  return result;
}

int AncestryPop3Controller::WriteBlock(TextOutput& out, int depth) {
  FoldValues();
  WriteBlockOpen(out, depth, "AncestryPop3Controller::RingListClass");
  WriteEntries(out, depth + 1, properties);
  WalkRing(accountHead, [&](AncestryPop3Checker* a) { a->WriteBlock(out, depth + 1, ProtectPasswords != 0); });
  WalkRing(autoExecHead, [&](Executant* e) { e->WriteBlock(out, depth + 1, true); });
  WalkRing(menuHead, [&](MenuExecutant* m) { m->WriteMenuBlock(out, depth + 1); });
  WriteBlockClose(out, depth);
  out.Flush();
  return 0;
}

}  // namespace bw
