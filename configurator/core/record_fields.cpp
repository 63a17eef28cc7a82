// Record field access for the configurator (see record_fields.h).
#include "configurator/core/record_fields.h"

#include "common/core/param_syntax.h"
#include "common/core/sjis.h"

namespace bw {

AccountFields ReadAccountFields(const AncestryPop3Checker& a) {
  AccountFields f;
  f.connectionName = a.ConnectionName;
  f.hostName = a.HostName;
  f.serviceName = a.ServiceName;
  f.userId = a.UserID;
  f.password = a.Password;
  f.cycleMinutes = a.CycleMinutes;
  f.toDnsSec = a.TOofDNS_Sec;
  f.toConnectSec = a.TOofConnect_Sec;
  f.toSendRecvSec = a.TOofSendRecv_Sec;
  f.continueTimeout = a.ContinueTimeout;
  f.continueConnectEr = a.ContinueConnectER;
  f.useApop = a.UseAPOP;
  f.useUidl = a.UseUIDL;
  f.disconnectNoQuit = a.DisconnectNoQuit;
  // The record has no typed field for the TLS choice yet; its line is kept
  // in the property list, which the writer folds out as it stands.
  f.useTls = AtoiValue(a.properties.FindValue("UseTLS"));
  return f;
}

void WriteAccountFields(AncestryPop3Checker& a, const AccountFields& f) {
  a.ConnectionName = f.connectionName;
  a.HostName = f.hostName;
  a.ServiceName = f.serviceName;
  a.UserID = f.userId;
  a.Password = f.password;
  a.CycleMinutes = f.cycleMinutes;
  a.TOofDNS_Sec = f.toDnsSec;
  a.TOofConnect_Sec = f.toConnectSec;
  a.TOofSendRecv_Sec = f.toSendRecvSec;
  a.ContinueTimeout = f.continueTimeout;
  a.ContinueConnectER = f.continueConnectEr;
  a.UseAPOP = f.useApop;
  a.UseUIDL = f.useUidl;
  a.DisconnectNoQuit = f.disconnectNoQuit;
  if (f.useTls || a.properties.FindEntry("UseTLS"))
    a.properties.SetOrAppend("UseTLS", IntUnless(f.useTls, 0));
}

ExecutantRow ReadExecutantRow(const Executant& e) {
  ExecutantRow r;
  r.fileName = e.ExecutionFileName;
  r.path = e.properties.FindValue("ExecutionPath");
  r.arguments = e.ExecutionArguments;
  r.initialOnce = AtoiValue(e.properties.FindValue("ExecutionInitialOnce"));
  r.positionGiven = e.positionGiven != 0;
  r.sizeGiven = e.sizeGiven != 0;
  r.x = e.x;
  r.y = e.y;
  r.width = e.width;
  r.height = e.height;
  r.priority = e.ExecutionPriority;
  return r;
}

ExecutantRow ReadMenuRow(const MenuExecutant& m) {
  ExecutantRow r = ReadExecutantRow(m);
  r.menuName = m.MenuExecutionName;
  return r;
}

void SetExecutantProgram(Executant& executant, const std::string& fileName) {
  // The record keeps its program name lower-cased, as reading makes it.
  executant.ExecutionFileName = fileName;
  LowerCaseSjis(executant.ExecutionFileName);
}

void SetMenuCaption(MenuExecutant& menu, const std::string& caption) {
  menu.MenuExecutionName = caption;
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
T* NewExecutant(const KeyTableEntry* extraTable) {
  auto* record = new T;
  if (extraTable) ApplyTableDefaults(record->properties, extraTable);
  ApplyTableDefaults(record->properties, kExecutantKeyTable);
  record->ParseValues();
  return record;
}
}  // namespace

Executant* NewAutoExecRecord() { return NewExecutant<Executant>(nullptr); }
MenuExecutant* NewMenuRecord() { return NewExecutant<MenuExecutant>(kMenuExecutantKeyTable); }

}  // namespace bw
