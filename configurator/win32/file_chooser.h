// The system's open and save file dialogs as Knobset's pages use them.
#pragma once
#include <windows.h>

#include <string>

namespace bw {

// The system's open (`open`) or save file dialog. `filter` is written with
// "|" between its parts, like the texts it shows; the dialog starts on the
// file name `initial` in `folder` (none: the system's choice), adds
// `extension` (may be none) to a bare name, and takes `flags` as they are.
// True with the chosen path in *chosen; false (nothing changed) on cancel,
// and when the chosen name holds characters Shift_JIS cannot hold (the user
// is told).
bool AskFile(HWND owner, bool open, const char* filter, const std::string& initial,
             const char* folder, const char* extension, DWORD flags, std::string* chosen);

}  // namespace bw
