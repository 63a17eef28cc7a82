// Message boxes as portable code shows them: each goes to an installed
// handler (the tests collect them so) or to the platform's own box.
#pragma once
#include <string>

namespace bw {

// Message box styles used by the programs (values as in the Win32 API).
enum : unsigned {
  kMbOk = 0x0000,
  kMbYesNo = 0x0004,
  kMbIconHand = 0x0010,
  kMbIconQuestion = 0x0020,
  kMbIconExclamation = 0x0030,
  kMbIconInformation = 0x0040,
  kMbTaskModal = 0x2000,
};
enum : int { kIdOk = 1, kIdYes = 6, kIdNo = 7 };

// Shows a message box; text and caption are CP932. Returns the button id.
// Windows shows a real MessageBoxW; the native build prints on stderr (in
// UTF-8) unless a handler was installed, as the tests do to collect them.
int ShowMessageBox(const std::string& text, const std::string& caption,
                   unsigned style);

using MessageBoxHandler = int (*)(void* context, const std::string& text,
                                  const std::string& caption, unsigned style);
// Installs a handler for every later ShowMessageBox (none restores the
// platform's own).
void SetMessageBoxHandler(MessageBoxHandler handler, void* context);

// The platform's own message box, used when no handler is installed.
int PlatformMessageBox(const std::string& text, const std::string& caption,
                       unsigned style);

}  // namespace bw
