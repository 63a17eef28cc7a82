// Knobset's dialogs build on the shared dialog base; this adds what several
// of them share: the message box with Knobset's caption, the file chooser
// and the priority lists.
#pragma once
#include <windows.h>

#include <string>

#include "common/win32/dialog.h"

namespace bw {

// Shows a message box owned by `owner` with Knobset's caption.
inline int KnobsetBox(HWND owner, const std::string& text, UINT style = MB_OK) {
  return MessageBoxA(owner, text.c_str(), "Knobset", style);
}

// The system's open (`open`) or save file dialog. `filter` is written with
// "|" between its parts, like the texts it shows; the dialog starts on the
// file name `initial` in `folder` (none: the system's choice), adds
// `extension` (may be none) to a bare name, and takes `flags` as they are.
// True with the chosen path in *chosen; false (nothing changed) on cancel.
bool AskFile(HWND owner, bool open, const char* filter, const std::string& initial,
             const char* folder, const char* extension, DWORD flags, std::string* chosen);

// Fills the two priority drop-down lists of the options and the application
// dialogs (the process's class, the main thread's priority), in the order of
// the stored indexes, and selects the given entries.
void FillPriorityLists(HWND classList, int classIndex, HWND threadList, int threadIndex);
// A drop-down list's selected index, 0 when none is selected.
int Selected(HWND combo);

}  // namespace bw
