// Knobset's small dialogs: the first-use notes, the about box and the
// interim application dialog; and the owner of the shared message boxes.
#pragma once
#include <windows.h>

#include "common/core/executant_record.h"

namespace bw {

// Shown at start when no parameter file could be loaded.
void RunFirstUseNotes();
void RunAboutBox(HWND owner);
// Edits an application's program (and a menu application's caption) until
// the full application dialogs exist. True on OK.
bool RunApplicationStub(HWND owner, bool menu, Executant& record);
// Message boxes of the shared core (list limits, save) are owned by this
// window from now on; none makes them ownerless again.
void SetMessageOwner(HWND owner);

}  // namespace bw
