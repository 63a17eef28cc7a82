// The configurator's record access besides the drafts of field_binding.h:
// the interim dialog's two fields and new records holding their defaults,
// so that the dialogs and the list rows never touch the record classes'
// members directly.
#pragma once
#include <string>

#include "common/core/account_record.h"
#include "common/core/executant_record.h"

namespace bw {

// The interim application dialog's two fields.
// kSetOk or the record's refusal.
int SetExecutantProgram(Executant& executant, const std::string& fileName);
int SetMenuCaption(MenuExecutant& menu, const std::string& caption);

// A new record holding its keys' defaults, as Add starts it.
AncestryPop3Checker* NewAccountRecord();
Executant* NewAutoExecRecord();
MenuExecutant* NewMenuRecord();

}  // namespace bw
