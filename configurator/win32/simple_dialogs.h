// Knobset's small dialogs: the first-use notes and the about box; and the
// owner of the shared message boxes.
#pragma once
#include <windows.h>

namespace bw {

// Shown at start when no parameter file could be loaded.
void RunFirstUseNotes();
void RunAboutBox(HWND owner);
// Message boxes of the shared core (list limits, save) are owned by this
// window from now on; none makes them ownerless again.
void SetMessageOwner(HWND owner);

}  // namespace bw
