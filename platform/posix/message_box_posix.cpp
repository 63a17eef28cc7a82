// The native build's message box: the text on stderr, and no one to answer.
#include <cstdio>

#include "platform/console_text.h"
#include "platform/message_box.h"

namespace bw {

int PlatformMessageBox(const std::string& text, const std::string& caption,
                       unsigned style) {
  std::fprintf(stderr, "[%s] %s\n", Cp932ToUtf8(caption).c_str(),
               Cp932ToUtf8(text).c_str());
  // Without a user to ask, a question box is answered "no".
  return (style & 0x000F) == kMbYesNo ? kIdNo : kIdOk;
}

}  // namespace bw
