// System error text through FormatMessageW.
#include "platform/win32/system_error.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace bw {

std::string SystemErrorText() {
  DWORD error = GetLastError();
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                               FORMAT_MESSAGE_FROM_SYSTEM,
                           nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                           reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  // For the log and a message box only: a character Shift_JIS cannot hold
  // may be lost here.
  std::string text = n && buffer ? Narrow(buffer, n) : std::string();
  if (buffer) LocalFree(buffer);
  return text;
}

void ShowSystemError(bool show) {
  if (!show) return;
  MessageBoxW(nullptr, Wide(SystemErrorText()).c_str(), L"Error", MB_ICONINFORMATION);
}

}  // namespace bw
