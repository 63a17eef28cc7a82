// Account record: its key table, and the shared block reading, defaulting
// and writing over it.
#include "common/core/account_record.h"

#include "common/core/record_block.h"

namespace bw {

using A = AncestryPop3Checker;

const KeyTableEntry<A> kAccountKeyTable[] = {
    {"ConnectionName", kConnectionName, false, "", TextField(&A::ConnectionName)},
    {"HostName", kHostName, true, "", TextField(&A::HostName)},
    {"ServiceName", kServiceName, false, "110", TextField(&A::ServiceName)},
    {"UserID", kUserID, true, "", TextField(&A::UserID)},
    {"Password", kPassword, true, "", TextField(&A::Password)},
    {"CycleMinutes", kCycleMinutes, false, "15", IntField(&A::CycleMinutes, 15)},
    {"UseUIDL", kUseUIDL, false, "0", FlagField(&A::UseUIDL, 0)},
    {"UseAPOP", kUseAPOP, false, "0", IntField(&A::UseAPOP, 0)},
    {"TOofDNS_Sec", kTOofDNS_Sec, false, "0", IntField(&A::TOofDNS_Sec, 0)},
    {"TOofConnect_Sec", kTOofConnect_Sec, false, "0", IntField(&A::TOofConnect_Sec, 0)},
    {"TOofSendRecv_Sec", kTOofSendRecv_Sec, false, "0", IntField(&A::TOofSendRecv_Sec, 0)},
    {"ContinueTimeout", kContinueTimeout, false, "0", FlagField(&A::ContinueTimeout, 0)},
    {"ContinueConnectER", kContinueConnectER, false, "0", FlagField(&A::ContinueConnectER, 0)},
    {"DisconnectNoQuit", kDisconnectNoQuit, false, "0", FlagField(&A::DisconnectNoQuit, 0)},
    {"UseTLS", kUseTLS, false, "0", IntField(&A::UseTLS, 0)},
    {nullptr, 16, false, nullptr, KeptField<A>()},
};

namespace {
const BlockRules kAccountRules = {"POP3 Checker : KeyWord[%s]は、認識できません.\n",
                                  "メモリ不足です.\n", NestedBlock::kNotice};
// The controller writes accounts at depth 1, so their key lines carry two tabs.
constexpr int kAccountLineDepth = 2;
}  // namespace

int A::ReadBlock(TextInput& in) {
  if (ReadBlockLines(in, kAccountRules, [this](const char* key, const char* value) {
        return AddTableKeyLine(kAccountKeyTable, properties, key, value);
      }) < 0)
    return -1;
  if (CheckTableRequired(kAccountKeyTable, properties, "%sが定義されていません.\n") < 0) return -10;
  ApplyDefaults();
  ParseValues();
  return 0;
}

int A::WriteBlock(TextOutput& out, int depth) {
  FoldTableValues(kAccountKeyTable, *this, properties);
  WriteBlockOpen(out, depth, "AncestryPop3Checker::RingListClass");
  WriteEntries(out, depth + 1, properties);
  WriteBlockClose(out, depth);
  out.Flush();
  return 0;
}

void A::ParseValues() {
  ParseTableValues(kAccountKeyTable, *this, properties, AbsentKey::kReadsEmpty);
}
void A::ApplyDefaults() { AppendTableDefaults(kAccountKeyTable, properties); }
void A::ResetToDefault(int id) { ResetTableKey(kAccountKeyTable, *this, properties, id); }
const char* A::KeyName(int id) const { return TableKeyName(kAccountKeyTable, id); }
const char* A::DefaultText(int id) const { return TableDefaultText(kAccountKeyTable, id); }

bool A::KeyText(int id, std::string* text) const {
  return GetTableKeyText(kAccountKeyTable, *this, properties, id, text);
}
int A::SetKeyText(int id, const std::string& text) {
  return SetTableKeyText(kAccountKeyTable, *this, properties, id, text, kAccountLineDepth);
}

}  // namespace bw
