// The Windows message box, through MessageBoxW.
#include <windows.h>

#include "platform/message_box.h"
#include "platform/win32/wide_text.h"

namespace bw {

int PlatformMessageBox(const std::string& text, const std::string& caption,
                       unsigned style) {
  return MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(), style);
}

}  // namespace bw
