// The message box of Knobset: every message it shows carries the program's
// name as its caption.
#pragma once
#include <windows.h>

#include <string>

namespace bw {

// Shows a message box owned by `owner` with Knobset's caption.
inline int KnobsetBox(HWND owner, const std::string& text, UINT style = MB_OK) {
  return MessageBoxA(owner, text.c_str(), "Knobset", style);
}

}  // namespace bw
