// The message box of Knobset: every message it shows carries the program's
// name as its caption.
#pragma once
#include <windows.h>

#include <string>

#include "platform/win32/wide_text.h"

namespace bw {

// Shows a message box owned by `owner` with Knobset's caption.
inline int KnobsetBox(HWND owner, const std::string& text, UINT style = MB_OK) {
  return MessageBoxW(owner, Wide(text).c_str(), L"Knobset", style);
}

}  // namespace bw
