// System error text through FormatMessageA.
#include "common/win32/system_error.h"

#include <windows.h>

namespace bw {

std::string SystemErrorText() {
  DWORD error = GetLastError();
  char* buffer = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                               FORMAT_MESSAGE_FROM_SYSTEM,
                           nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                           reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = n && buffer ? std::string(buffer, n) : std::string();
  if (buffer) LocalFree(buffer);
  return text;
}

void ShowSystemError(bool show) {
  if (!show) return;
  std::string text = SystemErrorText();
  MessageBoxA(nullptr, text.c_str(), "Error", MB_ICONINFORMATION);
}

}  // namespace bw
