// The options dialog ("オプション") and the auto-exec control dialog
// ("自動実行ｱﾌﾟﾘの制御"): both edit the controller's global settings, and
// change it only when the user confirms with OK.
#pragma once
#include <windows.h>

#include "common/core/controller_record.h"

namespace bw {

// True when the controller was changed (the caller marks the file unsaved).
bool RunOptionsDialog(HWND owner, AncestryPop3Controller& controller);
bool RunAutoExecControlDialog(HWND owner, AncestryPop3Controller& controller);

}  // namespace bw
