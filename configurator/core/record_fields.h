// The one place where the configurator reads and writes record fields: plain
// structs in and out, so that the dialogs and the list rows never touch the
// record classes' members directly.
#pragma once
#include <string>

#include "common/core/account_record.h"
#include "common/core/executant_record.h"

namespace bw {

struct AccountFields {
  std::string connectionName, hostName, serviceName, userId, password;
  int cycleMinutes = 15;
  int toDnsSec = 0, toConnectSec = 0, toSendRecvSec = 0;
  int continueTimeout = 0, continueConnectEr = 0;
  int useApop = 0, useUidl = 0, disconnectNoQuit = 0;
  int useTls = 0;  // 0 plain, 1 POP3S, 2 STLS
};

AccountFields ReadAccountFields(const AncestryPop3Checker& account);
// Stores every field, or none: kSetOk, or the first refusal of the record's
// key access (kSetUnstorable for a text no file line can hold back).
int WriteAccountFields(AncestryPop3Checker& account, const AccountFields& fields);

// What an application row shows.
struct ExecutantRow {
  std::string menuName;  // menu applications only
  std::string fileName, path, arguments;
  int initialOnce = 0;
  bool positionGiven = false, sizeGiven = false;
  int x = 0, y = 0, width = 0, height = 0;
  int priority = 0;
};
ExecutantRow ReadExecutantRow(const Executant& executant);
ExecutantRow ReadMenuRow(const MenuExecutant& menu);

// The interim application dialog's two fields.
// kSetOk or the record's refusal.
int SetExecutantProgram(Executant& executant, const std::string& fileName);
int SetMenuCaption(MenuExecutant& menu, const std::string& caption);

// A new record holding its keys' defaults, as Add starts it.
AncestryPop3Checker* NewAccountRecord();
Executant* NewAutoExecRecord();
MenuExecutant* NewMenuRecord();

}  // namespace bw
