// The configurator's record access besides the drafts of field_binding.h:
// what an application row shows, and new records holding their defaults, so
// that the dialogs and the list rows never touch the record classes'
// members directly.
#pragma once
#include <string>

#include "common/core/account_record.h"
#include "common/core/executant_record.h"

namespace bw {

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
