// The message boxes of the command-line tools: with no one there to click
// one, its text goes to stderr (as UTF-8) and it answers OK.
#pragma once
#include <cstdio>
#include <string>

#include "platform/console_text.h"
#include "platform/message_box.h"

namespace bw {

// A message-box handler (SetMessageBoxHandler) for a tool.
inline int PrintBox(void*, const std::string& text, const std::string&, unsigned) {
  std::fprintf(stderr, "%s\n", Cp932ToUtf8(text).c_str());
  return kIdOk;
}

}  // namespace bw
