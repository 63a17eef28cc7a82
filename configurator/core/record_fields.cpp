// Record field access for the configurator (see record_fields.h), through
// the records' key access: values come and go as the file's value texts.
#include "configurator/core/record_fields.h"

#include "common/core/key_table.h"
#include "common/core/param_syntax.h"

namespace bw {
namespace {

template <class R>
std::string Text(const R& record, int id) {
  std::string text;
  record.KeyText(id, &text);
  return text;
}

template <class R>
int Number(const R& record, int id) {
  return AtoiValue(Text(record, id));
}

}  // namespace

AccountFields ReadAccountFields(const AncestryPop3Checker& a) {
  AccountFields f;
  f.connectionName = Text(a, kConnectionName);
  f.hostName = Text(a, kHostName);
  f.serviceName = Text(a, kServiceName);
  f.userId = Text(a, kUserID);
  f.password = Text(a, kPassword);
  f.cycleMinutes = Number(a, kCycleMinutes);
  f.toDnsSec = Number(a, kTOofDNS_Sec);
  f.toConnectSec = Number(a, kTOofConnect_Sec);
  f.toSendRecvSec = Number(a, kTOofSendRecv_Sec);
  f.continueTimeout = Number(a, kContinueTimeout);
  f.continueConnectEr = Number(a, kContinueConnectER);
  f.useApop = Number(a, kUseAPOP);
  f.useUidl = Number(a, kUseUIDL);
  f.disconnectNoQuit = Number(a, kDisconnectNoQuit);
  f.useTls = Number(a, kUseTLS);
  return f;
}

int WriteAccountFields(AncestryPop3Checker& a, const AccountFields& f) {
  // Checked on a copy first, so that a refused text leaves the record whole.
  AncestryPop3Checker probe;
  const struct {
    int id;
    std::string text;
  } values[] = {
      {kConnectionName, f.connectionName},
      {kHostName, f.hostName},
      {kServiceName, f.serviceName},
      {kUserID, f.userId},
      {kPassword, f.password},
      {kCycleMinutes, std::to_string(f.cycleMinutes)},
      {kTOofDNS_Sec, std::to_string(f.toDnsSec)},
      {kTOofConnect_Sec, std::to_string(f.toConnectSec)},
      {kTOofSendRecv_Sec, std::to_string(f.toSendRecvSec)},
      {kContinueTimeout, std::to_string(f.continueTimeout)},
      {kContinueConnectER, std::to_string(f.continueConnectEr)},
      {kUseAPOP, std::to_string(f.useApop)},
      {kUseUIDL, std::to_string(f.useUidl)},
      {kDisconnectNoQuit, std::to_string(f.disconnectNoQuit)},
      {kUseTLS, std::to_string(f.useTls)},
  };
  for (const auto& v : values) {
    const int result = probe.SetKeyText(v.id, v.text);
    if (result != kSetOk) return result;
  }
  for (const auto& v : values) a.SetKeyText(v.id, v.text);
  return kSetOk;
}

ExecutantRow ReadExecutantRow(const Executant& e) {
  ExecutantRow r;
  r.fileName = Text(e, kExecutionFileName);
  r.path = Text(e, kExecutionPath);
  r.arguments = Text(e, kExecutionArguments);
  r.initialOnce = Number(e, kExecutionInitialOnce);
  r.positionGiven = ScanPair(Text(e, kExecutionPosition), &r.x, &r.y);
  r.sizeGiven = ScanPair(Text(e, kExecutionSize), &r.width, &r.height);
  r.priority = static_cast<int>(StrtolValue(Text(e, kExecutionPriority)));
  return r;
}

ExecutantRow ReadMenuRow(const MenuExecutant& m) {
  ExecutantRow r = ReadExecutantRow(m);
  m.MenuKeyText(kMenuExecutionName, &r.menuName);
  return r;
}

int SetExecutantProgram(Executant& executant, const std::string& fileName) {
  return executant.SetKeyText(kExecutionFileName, fileName);
}

int SetMenuCaption(MenuExecutant& menu, const std::string& caption) {
  return menu.SetMenuKeyText(kMenuExecutionName, caption);
}

AncestryPop3Checker* NewAccountRecord() {
  auto* account = new AncestryPop3Checker;
  account->ApplyDefaults();
  account->ParseValues();
  return account;
}

namespace {
// The application records have no ApplyDefaults of their own: every key the
// list lacks gets its default text, then the values are parsed.
template <typename T>
T* NewExecutant(bool menu) {
  auto* record = new T;
  if (menu) AppendTableDefaults(kMenuExecutantKeyTable, record->properties);
  AppendTableDefaults(kExecutantKeyTable, record->properties);
  record->ParseValues();
  return record;
}
}  // namespace

Executant* NewAutoExecRecord() { return NewExecutant<Executant>(false); }
MenuExecutant* NewMenuRecord() { return NewExecutant<MenuExecutant>(true); }

}  // namespace bw
