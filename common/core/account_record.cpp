// Account record: key table, reading, defaulting and writing.
#include "common/core/account_record.h"

#include <cstring>

#include "common/core/log.h"

namespace bw {

const KeyTableEntry kAccountKeyTable[] = {
    {"ConnectionName", kConnectionName, false, ""},
    {"HostName", kHostName, true, ""},
    {"ServiceName", kServiceName, false, "110"},
    {"UserID", kUserID, true, ""},
    {"Password", kPassword, true, ""},
    {"CycleMinutes", kCycleMinutes, false, "15"},
    {"UseUIDL", kUseUIDL, false, "0"},
    {"UseAPOP", kUseAPOP, false, "0"},
    {"TOofDNS_Sec", kTOofDNS_Sec, false, "0"},
    {"TOofConnect_Sec", kTOofConnect_Sec, false, "0"},
    {"TOofSendRecv_Sec", kTOofSendRecv_Sec, false, "0"},
    {"ContinueTimeout", kContinueTimeout, false, "0"},
    {"ContinueConnectER", kContinueConnectER, false, "0"},
    {"DisconnectNoQuit", kDisconnectNoQuit, false, "0"},
    {nullptr, 15, false, nullptr},
};

int AncestryPop3Checker::ReadBlock(TextInput& in) {
  BlockLine line;
  for (;;) {
    if (!ReadBlockLine(in, &line)) return -1;
    if (std::strcmp(line.key, "--EOF--") == 0) {
      LogWrite("終了識別子が途中で見つかりました.\n");
      break;
    }
    if (std::strcmp(line.key, "}") == 0 || std::strcmp(line.value, "}") == 0) break;
    if (std::strcmp(line.key, "{") == 0 || std::strcmp(line.value, "{") == 0) {
      // An account owns no blocks; the nested lines count as its own.
      LogWrite("書式エラー:このクラスはどのクラスも所有しません\n");
      continue;
    }
    if (!FindKeyByName(kAccountKeyTable, line.key)) {
      LogWrite("POP3 Checker : KeyWord[%s]は、認識できません.\n", line.key);
      continue;
    }
    if (!properties.Append(line.key, line.value)) LogWrite("メモリ不足です.\n");
  }
  for (const KeyTableEntry* k = kAccountKeyTable; k->name; ++k) {
    if (k->required && properties.FindValue(k->name).empty()) {
      LogWrite("%sが定義されていません.\n", k->name);
      return -10;
    }
  }
  ApplyDefaults();
  ParseValues();
  return 0;
}

void AncestryPop3Checker::ParseKey(int id, const std::string& text) {
  switch (id) {
    case kConnectionName: ConnectionName = text; break;
    case kHostName: HostName = text; break;
    case kServiceName: ServiceName = text; break;
    case kUserID: UserID = text; break;
    case kPassword: Password = text; break;
    case kCycleMinutes: CycleMinutes = AtoiValue(text); break;
    case kUseUIDL: UseUIDL = AtoiValue(text) != 0; break;
    case kUseAPOP: UseAPOP = AtoiValue(text); break;
    case kTOofDNS_Sec: TOofDNS_Sec = AtoiValue(text); break;
    case kTOofConnect_Sec: TOofConnect_Sec = AtoiValue(text); break;
    case kTOofSendRecv_Sec: TOofSendRecv_Sec = AtoiValue(text); break;
    case kContinueTimeout: ContinueTimeout = AtoiValue(text) != 0; break;
    case kContinueConnectER: ContinueConnectER = AtoiValue(text) != 0; break;
    case kDisconnectNoQuit: DisconnectNoQuit = AtoiValue(text) != 0; break;
    default: break;
  }
}

void AncestryPop3Checker::ParseValues() {
  for (const KeyTableEntry* k = kAccountKeyTable; k->name; ++k)
    ParseKey(k->id, properties.FindValue(k->name));
}

void AncestryPop3Checker::ApplyDefaults() { ApplyTableDefaults(properties, kAccountKeyTable); }

void AncestryPop3Checker::ResetToDefault(int id) {
  const KeyTableEntry* k = FindKeyById(kAccountKeyTable, id);
  if (!k) return;
  ParseKey(id, k->defaultText);
  if (PropertyEntry* e = properties.FindEntry(k->name)) e->value = k->defaultText;
}

const char* AncestryPop3Checker::KeyName(int id) const { return TableKeyName(kAccountKeyTable, id); }

const char* AncestryPop3Checker::DefaultText(int id) const {
  return TableDefaultText(kAccountKeyTable, id);
}

int AncestryPop3Checker::WriteBlock(TextOutput& out, int depth) {
  properties.SetOrAppend("ConnectionName", ConnectionName);
  properties.SetOrAppend("HostName", HostName);
  properties.SetOrAppend("ServiceName", ServiceName);
  properties.SetOrAppend("UserID", UserID);
  properties.SetOrAppend("Password", Password);
  properties.SetOrAppend("CycleMinutes", IntUnless(CycleMinutes, 15));
  properties.SetOrAppend("UseUIDL", FlagText(UseUIDL));
  properties.SetOrAppend("UseAPOP", IntUnless(UseAPOP, 0));
  properties.SetOrAppend("TOofDNS_Sec", IntUnless(TOofDNS_Sec, 0));
  properties.SetOrAppend("TOofConnect_Sec", IntUnless(TOofConnect_Sec, 0));
  properties.SetOrAppend("TOofSendRecv_Sec", IntUnless(TOofSendRecv_Sec, 0));
  properties.SetOrAppend("ContinueTimeout", FlagText(ContinueTimeout));
  properties.SetOrAppend("ContinueConnectER", FlagText(ContinueConnectER));
  properties.SetOrAppend("DisconnectNoQuit", FlagText(DisconnectNoQuit));
  WriteBlockOpen(out, depth, "AncestryPop3Checker::RingListClass");
  WriteEntries(out, depth + 1, properties);
  WriteBlockClose(out, depth);
  out.Flush();
  return 0;
}

}  // namespace bw
